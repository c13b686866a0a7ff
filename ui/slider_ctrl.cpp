// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slider_ctrl.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionSlider>

CSliderCtrl::CSliderCtrl(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    // The smallest value sits at the top, and the wheel turned forward moves the thumb up.
    setInvertedAppearance(true);
    setInvertedControls(true);
    setTickPosition(QSlider::NoTicks);
    setPageStep(20);
}

void CSliderCtrl::SetRange(int minimum, int maximum, bool redraw) {
    setRange(minimum, maximum);
    if (redraw) {
        update();
    }
}

void CSliderCtrl::SetSelection(int start, int end) {
    m_selStart = start;
    m_selEnd = end;
}

void CSliderCtrl::SetPos(int position) {
    setValue(position);
    update();
}

void CSliderCtrl::keyPressEvent(QKeyEvent* event) {
    // The trackbar's keys move the thumb the same way whatever the slider looks like: Up and
    // Left toward position 0 at the top, Down and Right toward the bottom. Qt's inverted
    // controls would turn Left and Right round on this upside-down slider, so every key is
    // mapped here rather than left to them.
    SliderAction action = SliderNoAction;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            action = SliderSingleStepSub;
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            action = SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = SliderToMinimum;
            break;
        case Qt::Key_End:
            action = SliderToMaximum;
            break;
        default:
            QSlider::keyPressEvent(event);
            return;
    }
    triggerAction(action);
    event->accept();
}

namespace {

// Edges are filled one-pixel strips rather than lines: at a fractional scale (1.5) a line
// along the widget's own edge can fall just outside it and vanish, a filled strip cannot.
void drawEdges(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

}  // namespace

void CSliderCtrl::paintEvent(QPaintEvent*) {
    emit customDraw();

    QPainter p(this);
    // Sunken border: dark above and left, light below and right.
    drawEdges(p, rect().adjusted(0, 0, -1, -1), palette().color(QPalette::Dark),
              palette().color(QPalette::Light));

    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The channel: a narrow sunken slot down the middle.
    const int cx = width() / 2;
    const QRect channel(cx - 2, handle.height() / 2, 4, height() - handle.height());
    p.fillRect(channel, palette().color(QPalette::Base));
    drawEdges(p, channel, palette().color(QPalette::Dark), palette().color(QPalette::Dark));

    // A plain rectangular thumb, raised.
    const QRect thumb(2, handle.top(), width() - 4, handle.height());
    p.fillRect(thumb, palette().color(QPalette::Button));
    drawEdges(p, thumb, palette().color(QPalette::Light), palette().color(QPalette::Shadow));
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(thumb.adjusted(1, 1, -2, -2));
    }
}
