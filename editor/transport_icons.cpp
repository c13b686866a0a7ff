// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/transport_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace editor {

QIcon TransportIcon(Glyph glyph, const QColor& colour) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        // On a grid of 16 units, the symbol in the middle 10 by 10.
        painter.scale(size / 16.0, size / 16.0);
        switch (glyph) {
            case Glyph::Play:
                painter.drawPolygon(QPolygonF({{4, 3}, {13, 8}, {4, 13}}));
                break;
            case Glyph::Pause:
                painter.drawRect(QRectF(4, 3, 3, 10));
                painter.drawRect(QRectF(9, 3, 3, 10));
                break;
            case Glyph::Stop:
                painter.drawRect(QRectF(3.5, 3.5, 9, 9));
                break;
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace editor
