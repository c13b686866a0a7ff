// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/transport_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QTimer>
#include <algorithm>

#include "editor/transport_icons.h"
#include "session/clock.h"
#include "session/timeline_query.h"

namespace editor {
namespace {

constexpr std::int64_t kEndlessSeconds = 3600;  // shown past an endless session's last entry

QString clock(std::int64_t frames, int rate) {
    return QString::fromStdString(
        session::FormatFrames(frames, rate, session::ClockStyle::Running));
}

}  // namespace

TransportBar::TransportBar(QWidget* parent)
    : QWidget(parent),
      m_play(new QToolButton(this)),
      m_stop(new QToolButton(this)),
      m_position_slider(new QSlider(Qt::Horizontal, this)),
      m_time(new QLabel(this)),
      m_volume(new QSlider(Qt::Horizontal, this)),
      m_period(new QLabel(this)) {
    m_play->setAccessibleName("Play");
    m_play->setToolTip("Play (F5)");
    m_stop->setAccessibleName("Stop");
    m_stop->setToolTip("Stop");
    m_position_slider->setAccessibleName("Position");
    m_position_slider->setSingleStep(10);
    m_position_slider->setPageStep(60);
    m_volume->setAccessibleName("Volume");
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setSingleStep(5);
    m_volume->setMaximumWidth(120);
    m_volume->setToolTip("Volume");
    m_time->setAccessibleName("Time");
    m_period->setAccessibleName("Period");
    m_period->setMinimumWidth(100);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(m_play);
    row->addWidget(m_stop);
    row->addWidget(m_position_slider, 1);
    row->addWidget(m_time);
    row->addWidget(new QLabel("Volume", this));
    row->addWidget(m_volume);
    row->addWidget(m_period);
    for (QWidget* w : {static_cast<QWidget*>(m_play), static_cast<QWidget*>(m_stop)}) {
        w->setFocusPolicy(Qt::StrongFocus);
    }

    connect(m_play, &QToolButton::clicked, this, &TransportBar::PlayPause);
    connect(m_stop, &QToolButton::clicked, this, &TransportBar::Stop);
    connect(m_position_slider, &QSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(m_position_slider, &QSlider::sliderReleased, this, [this] {
        m_dragging = false;
        if (m_item) {
            SeekTo(static_cast<std::int64_t>(m_position_slider->value()) * m_item->timeline.rate);
        }
    });
    // Keys and clicks on the groove move by steps; a drag seeks once, when it is let go.
    connect(m_position_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && m_item) {
            QTimer::singleShot(0, this, [this] {
                SeekTo(static_cast<std::int64_t>(m_position_slider->value()) *
                       m_item->timeline.rate);
            });
        }
    });
    connect(m_volume, &QSlider::valueChanged, this, [this](int volume) {
        if (m_player) {
            m_player->SetVolume(volume);
        }
    });
    setEnabled(true);
    showPosition();
}

TransportBar::~TransportBar() = default;

void TransportBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        showPosition();  // the symbols in the new text colour
    }
}

std::int64_t TransportBar::Span() const {
    if (!m_item) {
        return 0;
    }
    const session::Timeline& timeline = m_item->timeline;
    if (timeline.end != session::kEndless) {
        return timeline.end;
    }
    const std::int64_t last = timeline.periods.empty() ? 0 : timeline.periods.back().begin;
    return last + kEndlessSeconds * timeline.rate;
}

void TransportBar::SetItem(std::shared_ptr<const player::PlayItem> item, const QString& whyNot) {
    m_whyNot = whyNot;
    if (!item) {
        // What plays goes on playing the last text that read without problems.
        m_play->setToolTip(m_player ? "Pause (F5)" : "Play (F5): " + whyNot);
        return;
    }
    const bool sameRate = m_item && m_item->timeline.rate == item->timeline.rate;
    m_item = std::move(item);
    m_play->setToolTip(m_player ? "Pause (F5)" : "Play (F5)");
    if (m_player && !m_player->Replace(m_item)) {
        // Another rate: the device reopens at it, from the same time.
        const bool paused = m_player->State().paused;
        const double seconds = static_cast<double>(m_position) / m_player->Item()->timeline.rate;
        m_player.reset();
        m_position = static_cast<std::int64_t>(seconds * m_item->timeline.rate);
        PlayPause();
        if (paused && m_player) {
            m_player->Pause();
        }
    } else if (!sameRate && !m_player) {
        m_position = 0;
    }
    m_position = std::clamp<std::int64_t>(m_position, 0, std::max<std::int64_t>(0, Span() - 1));
    showPosition();
}

void TransportBar::PlayPause() {
    if (m_player) {
        m_player->State().paused ? m_player->Resume() : m_player->Pause();
        showPosition();
        return;
    }
    if (!m_item) {
        emit message(m_whyNot.isEmpty() ? QString("Nothing to play yet.") : m_whyNot);
        return;
    }
    if (m_item->timeline.end != session::kEndless && m_position >= m_item->timeline.end) {
        m_position = 0;
    }
    m_player = std::make_unique<player::SessionPlayer>(
        m_item, [this](const player::PlayerState& state) { changed(state); });
    m_player->SetVolume(m_volume->value());
    if (!m_player->Play(m_position)) {
        m_player.reset();
        emit message("The sound device cannot be opened: is another program holding it?");
    }
    showPosition();
}

void TransportBar::Stop() {
    if (m_player) {
        m_player->Stop();
    }
}

void TransportBar::SeekTo(std::int64_t frame) {
    m_position = std::clamp<std::int64_t>(frame, 0, std::max<std::int64_t>(0, Span() - 1));
    if (m_player) {
        m_player->Seek(m_position);
    }
    showPosition();
    emit positionChanged(m_position);
}

void TransportBar::changed(const player::PlayerState& state) {
    if (state.ended) {
        // Not from within the player's own call: it goes once that call has returned.
        QTimer::singleShot(0, this, [this] { ended(); });
        return;
    }
    m_position = state.position;
    emit message(state.waiting ? "Waiting for the sound device…" : QString());
    showPosition();
    emit positionChanged(m_position);
}

void TransportBar::ended() {
    m_player.reset();
    if (m_item && m_item->timeline.end != session::kEndless && m_position >= m_item->timeline.end) {
        m_position = 0;
    }
    showPosition();
    emit positionChanged(m_position);
}

void TransportBar::showPosition() {
    const bool pausable = m_player && !m_player->State().paused;
    const QColor ink = palette().color(QPalette::ButtonText);
    m_play->setIcon(TransportIcon(pausable ? Glyph::Pause : Glyph::Play, ink));
    m_stop->setIcon(TransportIcon(Glyph::Stop, ink));
    m_play->setAccessibleName(pausable ? "Pause" : "Play");
    m_stop->setEnabled(m_player != nullptr);
    if (!m_item) {
        m_time->setText("0:00:00 / 0:00:00");
        m_position_slider->setRange(0, 0);
        m_period->clear();
        return;
    }
    const session::Timeline& timeline = m_item->timeline;
    const int rate = timeline.rate;
    m_position_slider->setRange(0, static_cast<int>(Span() / rate));
    if (!m_dragging) {
        m_position_slider->setValue(static_cast<int>(m_position / rate));
    }
    m_time->setText(
        clock(m_position, rate) + " / " +
        (timeline.end == session::kEndless ? QString("endless") : clock(timeline.end, rate)));
    const auto period =
        std::find_if(timeline.periods.rbegin(), timeline.periods.rend(),
                     [this](const session::Period& p) { return p.begin <= m_position; });
    m_period->setText(
        period == timeline.periods.rend()
            ? QString()
            : QString::fromStdString(
                  m_item->session.sets[m_item->session.entries[period->entry].set].name));
}

}  // namespace editor
