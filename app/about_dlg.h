// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: name and version, copyright, and a line that beeps and opens the home
// page when clicked.
#pragma once

#include "ui/dialog.h"

class CBitmapButton;

class CAboutDlg : public CDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    void OnLinkClicked();

    CBitmapButton* m_pBtnBack = nullptr;

  protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;
};
