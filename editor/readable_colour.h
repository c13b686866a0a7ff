// SPDX-License-Identifier: GPL-3.0-or-later
// Colours that stay readable on the palette's background, light or dark: the contrast of
// two colours as the accessibility guidelines (WCAG 2) measure it, and a softer shade of a
// text colour that still reads on a background.
#pragma once

#include <QColor>

namespace editor {

// From 1 (the same) to 21 (black on white); 4.5 is the least for text people must read.
double Contrast(const QColor& a, const QColor& b);

// `text` mixed toward `background` as far as `least` contrast allows (the first of 60 %,
// 65 %, ... of `text` that reaches it); `text` itself when even that does not.
QColor Softened(const QColor& text, const QColor& background, double least);

}  // namespace editor
