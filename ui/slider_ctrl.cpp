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

void CSliderCtrl::paintEvent(QPaintEvent*) {
    emit customDraw();

    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    // Sunken border: dark above and left, light below and right.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(frame.topLeft(), frame.topRight());
    p.drawLine(frame.topLeft(), frame.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(frame.bottomLeft(), frame.bottomRight());
    p.drawLine(frame.topRight(), frame.bottomRight());

    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The channel: a narrow sunken slot down the middle.
    const int cx = width() / 2;
    const QRect channel(cx - 2, handle.height() / 2, 4, height() - handle.height());
    p.fillRect(channel, palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(channel.adjusted(0, 0, -1, -1));

    // A plain rectangular thumb, raised.
    const QRect thumb(2, handle.top(), width() - 4, handle.height());
    p.fillRect(thumb, palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(thumb.topLeft(), thumb.topRight());
    p.drawLine(thumb.topLeft(), thumb.bottomLeft());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawLine(thumb.bottomLeft(), thumb.bottomRight());
    p.drawLine(thumb.topRight(), thumb.bottomRight());
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(thumb.adjusted(1, 1, -2, -2));
    }
}
