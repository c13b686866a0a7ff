// SPDX-License-Identifier: GPL-3.0-or-later
// The application: sets the colours of every dialog and message box, runs the main window
// modally and ends when it ends. It also carries the About command of the main window's
// menu and the help request.
#pragma once

#include <QApplication>

class CBeatDlg;

class CBeatApp : public QApplication {
    Q_OBJECT
  public:
    CBeatApp(int& argc, char** argv);
    ~CBeatApp() override;

    // Runs the program; returns false, as the program has no message loop of its own
    // beyond the main window's.
    bool InitInstance();

    void SetDialogBkColor(const QColor& background, const QColor& text);
    void OnAppAbout();
    // The help request (F1): the program has no help file; it opens the README installed
    // with it, the page the About box's link opens, without the link's beep.
    void OnHelp();

    CBeatDlg* m_pMainWnd = nullptr;
};
