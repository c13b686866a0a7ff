// SPDX-License-Identifier: GPL-3.0-or-later
// The colours of the timeline picture, for a light or a dark background. Each voice kind
// has its colour at its place in session::VoiceKinds(), so a new kind is one more colour.
#pragma once

#include <QColor>
#include <QPalette>
#include <vector>

#include "session/session.h"

namespace plot {

struct Palette {
    QColor background;
    QColor text;
    QColor grid;       // period boundaries and value ticks
    QColor axis;       // panel frames
    QColor panel;      // behind the curves
    QColor play;       // the play line
    QColor crossfade;  // the shades of the three kinds of change, translucent
    QColor slide;
    QColor silence;
    std::vector<QColor> kinds;  // in the order of session::VoiceKinds()
};

Palette LightPalette();
Palette DarkPalette();

// The light or the dark one, as the window's palette is light or dark, with its own
// background and text colours.
Palette PaletteFor(const QPalette& palette);

// The colour of a voice of `kind` (never None).
QColor KindColour(const Palette& palette, session::VoiceKind kind);

}  // namespace plot
