// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/beat_app.h"

#include <QPalette>
#include <QStyleFactory>

#include "app/about_dlg.h"
#include "app/desktop.h"
#include "app/home_page.h"
#include "platform/message_queue.h"
#include "res/templates.h"
#include "ui/beat_dlg.h"

CBeatApp::CBeatApp(int& argc, char** argv) : QApplication(argc, argv) {
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    plat::StartMessageQueue();
    InstallDesktopServices();
    CDialog::SetCommandRouter([this](int id) {
        if (id == res::kIdAboutCommand) {
            OnAppAbout();
        } else if (id == res::kIdHelp) {
            OnHelp();
        }
    });
}

CBeatApp::~CBeatApp() {
    CDialog::SetCommandRouter(nullptr);
    RemoveDesktopServices();
}

void CBeatApp::SetDialogBkColor(const QColor& background, const QColor& text) {
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, background);
        p.setColor(group, QPalette::WindowText, text);
    }
    p.setColor(QPalette::Disabled, QPalette::Window, background);
    setPalette(p);
}

bool CBeatApp::InitInstance() {
    SetDialogBkColor(QColor(0, 0, 0), QColor(255, 255, 0));
    CBeatDlg dlg;
    m_pMainWnd = &dlg;
    dlg.Create();
    plat::SetMainWindowHandle(dlg.GetSafeHwnd());
    dlg.DoModal();
    plat::SetMainWindowHandle(0);
    m_pMainWnd = nullptr;
    return false;
}

void CBeatApp::OnAppAbout() {
    auto* about = new CAboutDlg(m_pMainWnd);  // deletes itself when it closes
    about->DoModal();
}

void CBeatApp::OnHelp() {
    const plat::HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : 0;
    OpenHelpPage(owner);
}
