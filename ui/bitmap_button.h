// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a push button from images named after its caption: "U" up (required), "D" down
// while pressed, "F" while it has the focus, "X" while disabled. The button takes the size
// of its up image and keeps its top-left corner; on a HiDPI display the image is drawn in
// whole device pixels (ui/whole_pixels.h).
#pragma once

#include <QPixmap>
#include <QPointer>

#include "ui/owner_draw_button.h"

class QWidget;

class CBitmapButton {
  public:
    enum class Face { Up, Down, Focus, Disabled };

    CBitmapButton() = default;
    ~CBitmapButton();
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    // Finds control `id` of `dialog`, loads the images its caption names and takes over its
    // drawing. False when there is no such control or no up image; nothing is reported.
    bool AutoLoad(int id, QWidget* dialog);

    // Which image a button in this state shows.
    Face FaceFor(bool pressed, bool focused, bool enabled) const;
    const QPixmap& Image(Face face) const;
    bool HasImage(Face face) const { return !Image(face).isNull(); }
    ui::OwnerDrawButton* Button() const { return m_button; }

  private:
    void draw(QPainter& painter, const ui::OwnerDrawButton& button) const;

    QPointer<ui::OwnerDrawButton> m_button;
    QPixmap m_up, m_down, m_focus, m_disabled;
};
