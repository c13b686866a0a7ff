// SPDX-License-Identifier: GPL-3.0-or-later
// The controls that play the session being edited: Play/Pause, Stop, the position as a
// slider and as "h:mm:ss / h:mm:ss", the volume, and the name of the period playing. They
// drive the one session player (player/) that tovin-cli drives too; an edit that reads
// without problems replaces what plays at the current position, without stopping.
#pragma once

#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "player/play_item.h"
#include "player/session_player.h"

namespace editor {

class TransportBar : public QWidget {
    Q_OBJECT
  public:
    explicit TransportBar(QWidget* parent = nullptr);
    ~TransportBar() override;

    // What plays from now on; null while the text has problems (`whyNot` says what to do).
    void SetItem(std::shared_ptr<const player::PlayItem> item, const QString& whyNot);
    void PlayPause();
    void Stop();
    // Moves the play position, playing or not; exact, as a render has it there.
    void SeekTo(std::int64_t frame);

    std::int64_t Position() const { return m_position; }
    bool Playing() const { return m_player != nullptr; }
    bool Paused() const { return m_player != nullptr && m_player->State().paused; }
    // The last frame a position can take: the session's end, or for an endless session an
    // hour past its last entry.
    std::int64_t Span() const;
    int Volume() const { return m_volume->value(); }
    // The controls the keyboard reaches, left to right.
    std::vector<QWidget*> Controls() const { return {m_play, m_stop, m_position_slider, m_volume}; }

  signals:
    void positionChanged(qint64 frame);
    // A sentence for the status bar: why Play does not play, the device failing.
    void message(const QString& text);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void changed(const player::PlayerState& state);
    void showPosition();
    void ended();

    QToolButton* m_play;
    QToolButton* m_stop;
    QSlider* m_position_slider;
    QLabel* m_time;
    QSlider* m_volume;
    QLabel* m_period;
    std::shared_ptr<const player::PlayItem> m_item;
    QString m_whyNot;
    std::unique_ptr<player::SessionPlayer> m_player;
    std::int64_t m_position = 0;  // the timeline's frame: where play is, or starts
    bool m_dragging = false;
};

}  // namespace editor
