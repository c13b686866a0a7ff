// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/timeline_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "plot/draw_timeline.h"
#include "plot/hover.h"
#include "plot/layout.h"

namespace editor {
namespace {

// The narrowest view: a tenth of a second across, where single changes can be told apart.
constexpr double kMinSpanSeconds = 0.1;

}  // namespace

TimelineView::TimelineView(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Timeline");
    setAccessibleDescription(
        "The session's beats, carriers and levels against time. Click to move the play "
        "position; the wheel pans, Ctrl and the wheel zoom; plus, minus and the arrow keys too.");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(180);
}

void TimelineView::SetItem(std::shared_ptr<const player::PlayItem> item) {
    const bool sameLength = m_item && item && fullEnd() > 0 &&
                            m_item->timeline.end == item->timeline.end &&
                            m_item->timeline.rate == item->timeline.rate;
    m_item = std::move(item);
    m_stale = false;
    if (!sameLength) {
        m_begin = 0;
        m_end = fullEnd();
    }
    m_end = std::min(m_end, fullEnd());
    m_pictureValid = false;
    update();
}

void TimelineView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pictureValid = false;
}

void TimelineView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        m_pictureValid = false;
    }
}

void TimelineView::SetStale(bool stale) {
    m_stale = stale;
    update();
}

void TimelineView::SetPlayLine(qint64 frame) {
    m_playLine = frame;
    update();
}

std::int64_t TimelineView::fullEnd() const {
    if (!m_item) {
        return 0;
    }
    const plot::TimeRange whole = plot::VisibleRange(m_item->timeline, plot::PlotView{});
    return static_cast<std::int64_t>(whole.to * m_item->timeline.rate);
}

namespace {

plot::PlotView viewOf(const QWidget& widget, const session::Timeline& timeline, std::int64_t begin,
                      std::int64_t end, std::int64_t play) {
    plot::PlotView view;
    view.from = static_cast<double>(begin) / timeline.rate;
    view.to = static_cast<double>(end) / timeline.rate;
    if (play >= 0) {
        view.play = static_cast<double>(play) / timeline.rate;
    }
    view.palette = plot::PaletteFor(widget.palette());
    return view;
}

}  // namespace

void TimelineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_item) {
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, "The timeline shows once the text reads.");
        return;
    }
    const session::Timeline& timeline = m_item->timeline;
    const plot::PlotView view = viewOf(*this, timeline, m_begin, m_end, -1);
    const qreal scale = devicePixelRatioF();
    if (!m_pictureValid || m_picture.size() != size() * scale) {
        m_picture = QImage(size() * scale, QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(scale);
        QPainter onPicture(&m_picture);
        onPicture.setRenderHint(QPainter::Antialiasing);
        plot::DrawTimeline(onPicture, QRectF(rect()), m_item->session, timeline, view);
        m_pictureValid = true;
    }
    painter.drawImage(0, 0, m_picture);
    if (m_playLine >= 0) {
        painter.setRenderHint(QPainter::Antialiasing);
        plot::DrawPlayLine(painter, plot::LayOut(QRectF(rect()), timeline, view), view.palette,
                           static_cast<double>(m_playLine) / timeline.rate);
    }
    if (m_stale) {
        QColor veil = palette().color(QPalette::Base);
        veil.setAlpha(150);
        painter.fillRect(rect(), veil);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter,
                         "The text has problems: this is the last session that read.");
    }
}

std::int64_t TimelineView::frameAt(double x) const {
    const session::Timeline& timeline = m_item->timeline;
    const plot::Layout layout =
        plot::LayOut(QRectF(rect()), timeline, viewOf(*this, timeline, m_begin, m_end, -1));
    const double seconds = layout.SecondsAt(std::clamp(x, layout.left(), layout.right()));
    return static_cast<std::int64_t>(seconds * timeline.rate + 0.5);
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    if (m_item && event->button() == Qt::LeftButton) {
        emit seekRequested(frameAt(event->position().x()));
    }
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_item) {
        return;
    }
    const session::Timeline& timeline = m_item->timeline;
    const auto hover =
        plot::HoverAt(QRectF(rect()), m_item->session, timeline,
                      viewOf(*this, timeline, m_begin, m_end, -1), event->position().x());
    if (hover) {
        QToolTip::showText(event->globalPosition().toPoint(), QString::fromStdString(hover->Text()),
                           this);
    } else {
        QToolTip::hideText();
    }
}

void TimelineView::zoom(double factor, double atX) {
    if (!m_item) {
        return;
    }
    const int rate = m_item->timeline.rate;
    const std::int64_t anchor = frameAt(atX);
    const double span = std::max(kMinSpanSeconds * rate, (m_end - m_begin) * factor);
    const double share =
        m_end > m_begin ? static_cast<double>(anchor - m_begin) / (m_end - m_begin) : 0.5;
    const std::int64_t whole = fullEnd();
    std::int64_t begin = anchor - static_cast<std::int64_t>(span * share);
    std::int64_t end = begin + static_cast<std::int64_t>(span);
    if (end - begin >= whole) {
        begin = 0;
        end = whole;
    } else if (begin < 0) {
        end -= begin;
        begin = 0;
    } else if (end > whole) {
        begin -= end - whole;
        end = whole;
    }
    m_begin = begin;
    m_end = end;
    m_pictureValid = false;
    update();
}

void TimelineView::pan(double fraction) {
    if (!m_item) {
        return;
    }
    const std::int64_t span = m_end - m_begin;
    const std::int64_t shift = static_cast<std::int64_t>(fraction * span);
    const std::int64_t whole = fullEnd();
    m_begin = std::clamp<std::int64_t>(m_begin + shift, 0, std::max<std::int64_t>(0, whole - span));
    m_end = m_begin + span;
    m_pictureValid = false;
    update();
}

void TimelineView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0 + event->angleDelta().x() / 120.0;
    if (event->modifiers() & Qt::ControlModifier) {
        zoom(std::pow(0.8, steps), event->position().x());
    } else {
        pan(-0.1 * steps);
    }
    event->accept();
}

void TimelineView::keyPressEvent(QKeyEvent* event) {
    const double middle = width() / 2.0;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom(0.5, middle);
            break;
        case Qt::Key_Minus:
            zoom(2.0, middle);
            break;
        case Qt::Key_0:
            zoom(1e18, middle);
            break;
        case Qt::Key_Left:
            pan(-0.1);
            break;
        case Qt::Key_Right:
            pan(0.1);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace editor
