// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/readable_colour.h"

#include <algorithm>
#include <cmath>

namespace editor {
namespace {

// Relative luminance of an sRGB colour.
double luminance(const QColor& c) {
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

double Contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Softened(const QColor& text, const QColor& background, double least) {
    for (int share = 60; share < 100; share += 5) {
        const auto mix = [share](double t, double b) {
            return (t * share + b * (100 - share)) / 100;
        };
        const QColor mixed =
            QColor::fromRgbF(static_cast<float>(mix(text.redF(), background.redF())),
                             static_cast<float>(mix(text.greenF(), background.greenF())),
                             static_cast<float>(mix(text.blueF(), background.blueF())));
        if (Contrast(mixed, background) >= least) {
            return mixed;
        }
    }
    return text;
}

}  // namespace editor
