// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/owner_draw_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

void OwnerDrawButton::setDrawer(Drawer drawer) {
    m_drawer = std::move(drawer);
    update();
}

void OwnerDrawButton::paintEvent(QPaintEvent*) {
    if (m_drawer) {
        QPainter painter(this);
        m_drawer(painter, *this);
    }
}

void OwnerDrawButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // Not pressed again, so the release that follows finds the button up and reports nothing.
    event->accept();
}

}  // namespace ui
