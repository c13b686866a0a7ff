// The 16-colour images (button faces, the icon) drawn in whole device pixels.
//
// Where each pixel of the layout is `ratio` device pixels (QT_SCALE_FACTOR, a HiDPI screen),
// every image pixel becomes a square of k × k device pixels, k being the largest whole
// number not above the ratio, and at least 1: at 2 the images are doubled, at 1.5 and 1 they
// keep their own size. Other rules were worse at fractional ratios: smoothing blurs the
// 16-colour art, a fractional nearest-neighbour factor draws some pixels one device pixel
// wide and their neighbours two (frames and strokes of uneven weight), and rounding 1.5 up
// to 2 makes the images larger than the places the layout keeps for them (the MIDI note
// would reach over ON). At 1.5 the images are a third smaller than the layout around them,
// and sharp; their buttons keep their places and sizes, so the layout does not change.
#pragma once

class QPainter;
class QPixmap;

namespace ui {

int WholeFactor(double ratio);

// Draws `image` with its top-left corner at the painter's origin, enlarged by the whole
// factor of the painter's device.
void DrawInWholePixels(QPainter& painter, const QPixmap& image);

}  // namespace ui
