// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/whole_pixels.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace ui {

void DrawInWholePixels(QPainter& painter, const QPixmap& image) {
    const double ratio = painter.device()->devicePixelRatio();
    // Enlarged by repeating pixels (nearest neighbour) to the device pixels it covers, then
    // copied one to one, so that the painter has nothing left to scale or smooth.
    const QSize covered(static_cast<int>(std::lround(image.width() * ratio)),
                        static_cast<int>(std::lround(image.height() * ratio)));
    const QPixmap enlarged = covered == image.size() ? image
                                                     : image.scaled(covered, Qt::IgnoreAspectRatio,
                                                                    Qt::FastTransformation);
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawPixmap(0, 0, enlarged);
    painter.restore();
}

}  // namespace ui
