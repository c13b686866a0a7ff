// SPDX-License-Identifier: GPL-3.0-or-later
// The session window: an ordinary desktop window with a tab per session file, where people
// edit a session with its problems shown as they type, see its timeline, play it and
// export it. It stands beside the fixed dialog and shares nothing with it.
#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <QToolBar>

#include "editor/session_tab.h"

namespace editor {

class SessionWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit SessionWindow(QWidget* parent = nullptr);

    // Opens each file in a tab of its own (one already open is shown instead); a file that
    // cannot be read is said in a message box, and the others still open.
    void OpenFiles(const QStringList& paths);
    // A new tab with the starter session.
    void NewSession();
    SessionTab* CurrentTab() const;
    QTabWidget* Tabs() const { return m_tabs; }

    // Asks, for each tab with unsaved changes, whether to save them; false when the person
    // cancels (or a save fails), and then nothing is closed.
    bool MayClose(SessionTab* tab);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildMenus();
    SessionTab* addTab();
    void openDialog();
    bool save(SessionTab* tab, bool askName);
    void revert();
    void closeTab(int index);
    void exportAudio();
    void exportPicture();
    void find(bool backwards);
    void updateTitle();
    // The files File ▸ Open Recent offers, newest first.
    void remember(const QString& path);
    void forget(const QString& path);
    void fillRecent();
    void say(const QString& text);

    QTabWidget* m_tabs;
    QMenu* m_recent = nullptr;
    QToolBar* m_findBar = nullptr;
    QLineEdit* m_findText = nullptr;
    int m_untitled = 0;
};

// The text a new session starts with: a short, commented session that plays as it stands.
extern const char* const kStarterSession;

}  // namespace editor
