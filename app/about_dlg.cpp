// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dlg.h"

#include <QKeyEvent>

#include "app/home_page.h"
#include "platform/system.h"
#include "res/templates.h"
#include "ui/bitmap_button.h"
#include "ui/link_label.h"

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(res::AboutDialog(), parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

CAboutDlg::~CAboutDlg() {
    delete m_pBtnBack;
}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_pBtnBack = new CBitmapButton;
    m_pBtnBack->AutoLoad(res::kIdCancel, this);
    if (auto* back = qobject_cast<QAbstractButton*>(GetDlgItem(res::kIdCancel))) {
        connect(back, &QAbstractButton::clicked, this, &QDialog::reject);
    }
    if (auto* link = qobject_cast<ui::LinkLabel*>(GetDlgItem(res::kIdLink))) {
        connect(link, &ui::LinkLabel::clicked, this, [this] { OnLinkClicked(); });
    }
    return true;
}

void CAboutDlg::OnLinkClicked() {
    plat::Beep(100, 100);
    OpenHelpPage(GetSafeHwnd());
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
    // Enter confirms, which for this box simply ends it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    CDialog::keyPressEvent(event);
}
