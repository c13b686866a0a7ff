#include "ui/owner_draw_button.h"

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

}  // namespace ui
