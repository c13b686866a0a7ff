#include "ui/whole_pixels.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace ui {

int WholeFactor(double ratio) {
    // A ratio computed from a screen's resolution can come out a hair below a whole number
    // (1.9999); that is still 2.
    return std::max(1, static_cast<int>(std::floor(ratio + 1e-3)));
}

void DrawInWholePixels(QPainter& painter, const QPixmap& image) {
    const double ratio = painter.device()->devicePixelRatio();
    const int factor = WholeFactor(ratio);
    // The image is enlarged by repeating pixels, then copied in device pixels, one to one,
    // so that the painter has nothing left to scale or smooth.
    const QPixmap enlarged =
        factor == 1
            ? image
            : image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawPixmap(0, 0, enlarged);
    painter.restore();
}

}  // namespace ui
