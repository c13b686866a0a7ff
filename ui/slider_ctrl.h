// SPDX-License-Identifier: GPL-3.0-or-later
// A vertical trackbar: range and selection 0-100, position 0 at the top, a rectangular
// thumb and no tick marks. At the start of every repaint it raises the custom-draw
// notification, which is how the window learns the position whenever it is shown.
#pragma once

#include <QSlider>

class CSliderCtrl : public QSlider {
    Q_OBJECT
  public:
    explicit CSliderCtrl(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum, bool redraw);
    void SetSelection(int start, int end);
    void SetPos(int position);
    int GetPos() const { return value(); }
    int SelectionStart() const { return m_selStart; }
    int SelectionEnd() const { return m_selEnd; }

  signals:
    void customDraw();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int m_selStart = 0;
    int m_selEnd = 0;
};
