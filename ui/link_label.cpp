// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/link_label.h"

#include <QMouseEvent>
#include <utility>

namespace ui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);  // like every other static text
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    m_afterDoubleClick = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool afterDoubleClick = std::exchange(m_afterDoubleClick, false);
    if (event->button() == Qt::LeftButton && !afterDoubleClick &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace ui
