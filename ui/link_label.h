// SPDX-License-Identifier: GPL-3.0-or-later
// A static text that reports clicks. The second press of a double-click is a double-click
// notification, which no window of the program handles, so a double-click is one click.
#pragma once

#include <QLabel>

namespace ui {

class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool m_afterDoubleClick = false;  // the release ends a double-click: no click
};

}  // namespace ui
