// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/static_icon.h"

#include <QPainter>

#include "ui/whole_pixels.h"

namespace ui {

StaticIcon::StaticIcon(const QPixmap& image, QWidget* parent) : QWidget(parent), m_image(image) {}

void StaticIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawInWholePixels(painter, m_image);
}

}  // namespace ui
