// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog units: template rectangles are given in units of the dialog font, a quarter of
// its average letter width across and an eighth of its height down.
#pragma once

#include <QFont>
#include <QRect>

namespace ui {

struct BaseUnits {
    int x;  // average width of the 52 letters A-Z a-z, in pixels
    int y;  // the font's height, in pixels
};

// The template's font. The Japanese face the templates name is stood in for by IPA P
// Gothic where it is not installed.
QFont DialogFont(const char* face, int pointSize);

BaseUnits BaseUnitsOf(const QFont& font);

// x * base.x / 4 and y * base.y / 8, each rounded to the nearest pixel.
QRect ToPixels(const BaseUnits& base, int x, int y, int w, int h);

}  // namespace ui
