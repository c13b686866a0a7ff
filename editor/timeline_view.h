// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the session's timeline in the window: hover shows the values at a time, a
// click moves the play position there, the wheel zooms (with Ctrl) and pans, and a line
// follows what plays. The picture itself is plot/'s, the same one `tovin-cli plot` draws.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "player/play_item.h"

namespace editor {

class TimelineView : public QWidget {
    Q_OBJECT
  public:
    explicit TimelineView(QWidget* parent = nullptr);

    void SetItem(std::shared_ptr<const player::PlayItem> item);
    // The text no longer reads: the picture is of the last text that did.
    void SetStale(bool stale);
    void SetPlayLine(qint64 frame);
    // The frames shown, from the left edge to the right.
    std::int64_t ViewBegin() const { return m_begin; }
    std::int64_t ViewEnd() const { return m_end; }

  signals:
    void seekRequested(qint64 frame);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::int64_t frameAt(double x) const;
    std::int64_t fullEnd() const;
    void zoom(double factor, double atX);
    void pan(double fraction);

    // The picture without the play line, drawn again only when what it shows changes: a
    // long session's picture takes long to draw, and the line moves ten times a second.
    QImage m_picture;
    bool m_pictureValid = false;
    std::shared_ptr<const player::PlayItem> m_item;
    std::int64_t m_begin = 0;
    std::int64_t m_end = 0;
    std::int64_t m_playLine = -1;
    bool m_stale = false;
};

}  // namespace editor
