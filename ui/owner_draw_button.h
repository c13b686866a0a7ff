// SPDX-License-Identifier: GPL-3.0-or-later
// A push button whose face is drawn entirely by its owner (a CBitmapButton). Without an
// owner it draws nothing.
#pragma once

#include <QAbstractButton>
#include <functional>

namespace ui {

class OwnerDrawButton : public QAbstractButton {
    Q_OBJECT
  public:
    using Drawer = std::function<void(QPainter&, const OwnerDrawButton&)>;

    explicit OwnerDrawButton(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    void setDrawer(Drawer drawer);
    QSize sizeHint() const override { return size(); }

  protected:
    void paintEvent(QPaintEvent*) override;
    // The second press of a double-click is a double-click notification, which no window
    // of the program handles, rather than a second press: a double-click is one click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Drawer m_drawer;
};

}  // namespace ui
