// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/palette.h"

#include <cstddef>

#include "session/voice_kind.h"

namespace plot {
namespace {

// The kinds' colours in table order: binaural, tone, isochronic, pink, white, brown, spin,
// brown spin, white spin, bell, mix. Tone sounds as binaural, so they share one. Chosen to
// stay apart from one another and from the shades of the changes.
std::vector<QColor> kindColours(bool dark) {
    const char* const light[] = {"#1f5fb4", "#1f5fb4", "#238b2f", "#d6338f", "#6e6e6e", "#8c564b",
                                 "#7b4fc4", "#b35a1f", "#138a9a", "#e07b00", "#8a8a12"};
    const char* const night[] = {"#6fa8ff", "#6fa8ff", "#5fd36a", "#ff7ac4", "#d0d0d0", "#d49a80",
                                 "#b79bff", "#f0a060", "#4fd8e8", "#ffb040", "#d8d850"};
    std::vector<QColor> colours;
    for (const char* name : dark ? night : light) {
        colours.emplace_back(name);
    }
    return colours;
}

}  // namespace

Palette LightPalette() {
    return {QColor("#ffffff"),         QColor("#202020"),        QColor("#dcdcdc"),
            QColor("#8a8a8a"),         QColor("#fafafa"),        QColor("#d00000"),
            QColor(110, 110, 110, 45), QColor(40, 120, 230, 50), QColor(220, 60, 60, 45),
            kindColours(false)};
}

Palette DarkPalette() {
    return {QColor("#1e1f22"),         QColor("#e6e6e6"),        QColor("#3a3c40"),
            QColor("#8a8c90"),         QColor("#25272b"),        QColor("#ff5050"),
            QColor(200, 200, 200, 40), QColor(90, 160, 255, 60), QColor(255, 90, 90, 55),
            kindColours(true)};
}

Palette PaletteFor(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Base);
    Palette chosen = window.lightnessF() < 0.5 ? DarkPalette() : LightPalette();
    chosen.background = palette.color(QPalette::Window);
    chosen.panel = window;
    chosen.text = palette.color(QPalette::WindowText);
    return chosen;
}

QColor KindColour(const Palette& palette, session::VoiceKind kind) {
    const auto kinds = session::VoiceKinds();
    for (std::size_t i = 0; i < kinds.size() && i < palette.kinds.size(); ++i) {
        if (kinds[i]->kind == kind) {
            return palette.kinds[i];
        }
    }
    return palette.text;  // a kind without a colour of its own still shows
}

}  // namespace plot
