// SPDX-License-Identifier: GPL-3.0-or-later
// The 16-colour images (button faces, the icon) drawn in whole device pixels.
//
// Where each pixel of the layout is `ratio` device pixels (QT_SCALE_FACTOR, a HiDPI screen),
// an image covers the same place in the layout as at ratio 1, so the window scales as a
// whole, and every one of its pixels becomes a block of whole device pixels, copied, never
// blended: at 2 each pixel is a 2 × 2 square; at 1.5, alternately one and two device pixels
// across and down. Smoothing instead would blur the 16-colour art; keeping the images at a
// whole factor below the ratio would leave them a third smaller than the text around them.
#pragma once

class QPainter;
class QPixmap;

namespace ui {

// Draws `image` with its top-left corner at the painter's origin, over the device pixels
// its own size covers at the painter's device pixel ratio.
void DrawInWholePixels(QPainter& painter, const QPixmap& image);

}  // namespace ui
