// SPDX-License-Identifier: GPL-3.0-or-later
// The static icon control: an image at its top-left corner, in whole device pixels.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace ui {

class StaticIcon : public QWidget {
  public:
    StaticIcon(const QPixmap& image, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPixmap m_image;
};

}  // namespace ui
