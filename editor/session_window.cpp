// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/session_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>

#include "editor/export_audio.h"
#include "editor/export_picture.h"

namespace editor {
namespace {

constexpr int kRecentFiles = 8;
const char* const kFilter = "Session files (*.sbg);;All files (*)";

}  // namespace

const char* const kStarterSession =
    "## A new session: press F5 to hear it, and change any line while it plays.\n"
    "## Lines that start with ## describe the session; # starts a comment.\n"
    "\n"
    "# -S starts at the first time line, -E ends at the last.\n"
    "-SE\n"
    "\n"
    "# Tone-sets: a name, then its voices. 200+10/20 is a 200 Hz carrier beating 10 times a\n"
    "# second at amplitude 20; pink/30 is pink noise at 30; - is silence.\n"
    "alpha: pink/30 200+10/20\n"
    "theta: pink/30 200+6/20\n"
    "off: -\n"
    "\n"
    "# Time lines: when each set starts. -> slides into the next line's set.\n"
    "0:00 alpha ->\n"
    "0:05 theta\n"
    "0:15 theta ->\n"
    "0:20 off\n";

SessionWindow::SessionWindow(QWidget* parent) : QMainWindow(parent), m_tabs(new QTabWidget(this)) {
    m_tabs->setDocumentMode(true);
    m_tabs->setTabsClosable(true);
    m_tabs->setMovable(true);
    setCentralWidget(m_tabs);
    setAcceptDrops(true);
    resize(1100, 860);
    buildMenus();
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { updateTitle(); });
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, &SessionWindow::closeTab);
    statusBar();
    updateTitle();
}

void SessionWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&New", QKeySequence::New, this, &SessionWindow::NewSession);
    file->addAction("&Open…", QKeySequence::Open, this, &SessionWindow::openDialog);
    m_recent = file->addMenu("Open &Recent");
    // Filled as it opens, never from one of its own items (which clearing it would delete).
    // It stays enabled when empty: a disabled menu would never open to be filled again.
    connect(m_recent, &QMenu::aboutToShow, this, &SessionWindow::fillRecent);
    file->addSeparator();
    file->addAction("&Save", QKeySequence::Save, this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            save(tab, false);
        }
    });
    file->addAction("Save &As…", QKeySequence::SaveAs, this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            save(tab, true);
        }
    });
    file->addAction("Re&vert", this, &SessionWindow::revert);
    file->addSeparator();
    // Every item of a menu has a letter of its own: Alt+F, E opens the export.
    file->addAction("&Export Audio…", QKeySequence(Qt::CTRL | Qt::Key_E), this,
                    &SessionWindow::exportAudio);
    file->addAction("Export &Picture…", this, &SessionWindow::exportPicture);
    file->addSeparator();
    file->addAction("&Close", QKeySequence::Close, this,
                    [this] { closeTab(m_tabs->currentIndex()); });
    file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction("&Undo", QKeySequence::Undo, this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            tab->Editor()->undo();
        }
    });
    edit->addAction("&Redo", QKeySequence::Redo, this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            tab->Editor()->redo();
        }
    });
    edit->addSeparator();
    edit->addAction("&Find…", QKeySequence::Find, this, [this] {
        m_findBar->show();
        m_findText->setFocus();
        m_findText->selectAll();
    });
    edit->addAction("Find &Next", QKeySequence::FindNext, this, [this] { find(false); });
    edit->addAction("Find Pre&vious", QKeySequence::FindPrevious, this, [this] { find(true); });
    edit->addAction("Next &Problem", QKeySequence(Qt::Key_F8), this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            tab->NextProblem();
        }
    });

    QMenu* play = menuBar()->addMenu("&Play");
    play->addAction("&Play/Pause", QKeySequence(Qt::Key_F5), this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            tab->Transport()->PlayPause();
        }
    });
    play->addAction("&Stop", QKeySequence(Qt::SHIFT | Qt::Key_F5), this, [this] {
        if (SessionTab* tab = CurrentTab()) {
            tab->Transport()->Stop();
        }
    });

    m_findBar = new QToolBar("Find", this);
    m_findText = new QLineEdit(m_findBar);
    m_findText->setAccessibleName("Find");
    m_findText->setPlaceholderText("Find in the session");
    m_findBar->addWidget(m_findText);
    m_findBar->addAction("Next", this, [this] { find(false); });
    m_findBar->addAction("Previous", this, [this] { find(true); });
    m_findBar->addAction("Close", m_findBar, &QWidget::hide);
    connect(m_findText, &QLineEdit::returnPressed, this, [this] { find(false); });
    addToolBar(Qt::BottomToolBarArea, m_findBar);
    m_findBar->hide();
}

SessionTab* SessionWindow::CurrentTab() const {
    return qobject_cast<SessionTab*>(m_tabs->currentWidget());
}

SessionTab* SessionWindow::addTab() {
    auto* tab = new SessionTab(m_tabs);
    connect(tab, &SessionTab::titleChanged, this, [this, tab] {
        const int index = m_tabs->indexOf(tab);
        if (index >= 0) {
            m_tabs->setTabText(index, tab->FileName() + (tab->Modified() ? " •" : ""));
            m_tabs->setTabToolTip(index, tab->Path());
        }
        updateTitle();
    });
    connect(tab, &SessionTab::message, this, &SessionWindow::say);
    m_tabs->setCurrentIndex(m_tabs->addTab(tab, QString()));
    return tab;
}

void SessionWindow::NewSession() {
    ++m_untitled;
    const QString name =
        m_untitled == 1 ? QString("untitled.sbg") : QString("untitled %1.sbg").arg(m_untitled);
    addTab()->StartNew(QString::fromUtf8(kStarterSession), name);
    CurrentTab()->Editor()->setFocus();
}

void SessionWindow::OpenFiles(const QStringList& paths) {
    QStringList failures;
    for (const QString& path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        bool shown = false;
        for (int i = 0; i < m_tabs->count() && !shown; ++i) {
            auto* tab = qobject_cast<SessionTab*>(m_tabs->widget(i));
            if (tab->Path() == absolute) {
                m_tabs->setCurrentIndex(i);
                shown = true;
            }
        }
        if (shown) {
            continue;
        }
        SessionTab* tab = addTab();
        if (const auto error = tab->Load(path)) {
            failures << *error;
            delete tab;
            if (!QFileInfo::exists(absolute)) {
                forget(absolute);  // gone from disk: no longer offered as recent
            }
            continue;
        }
        remember(absolute);
    }
    if (!failures.isEmpty()) {
        QMessageBox::warning(this, "Tovin", failures.join("\n"));
    }
    updateTitle();
}

void SessionWindow::openDialog() {
    const QStringList paths =
        QFileDialog::getOpenFileNames(this, "Open Sessions", QString(), kFilter);
    OpenFiles(paths);
}

bool SessionWindow::save(SessionTab* tab, bool askName) {
    QString path = tab->Path();
    if (askName || path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, "Save Session",
                                            path.isEmpty() ? tab->FileName() : path, kFilter);
        if (path.isEmpty()) {
            return false;
        }
    }
    if (const auto error = tab->SaveTo(path)) {
        QMessageBox::warning(this, "Tovin", *error);
        return false;
    }
    remember(tab->Path());
    say("Saved " + tab->Path());
    return true;
}

void SessionWindow::revert() {
    SessionTab* tab = CurrentTab();
    if (tab == nullptr || tab->Path().isEmpty()) {
        return;
    }
    if (tab->Modified() &&
        QMessageBox::question(this, "Tovin",
                              "Revert " + tab->FileName() + " to the file, losing your changes?",
                              QMessageBox::Discard | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Discard) {
        return;
    }
    if (const auto error = tab->Revert()) {
        QMessageBox::warning(this, "Tovin", *error);
    }
}

bool SessionWindow::MayClose(SessionTab* tab) {
    if (!tab->Modified()) {
        return true;
    }
    m_tabs->setCurrentWidget(tab);
    const auto answer = QMessageBox::question(
        this, "Tovin", "Save the changes to " + tab->FileName() + " before closing?",
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        return save(tab, false);
    }
    return answer == QMessageBox::Discard;
}

void SessionWindow::closeTab(int index) {
    auto* tab = qobject_cast<SessionTab*>(m_tabs->widget(index));
    if (tab != nullptr && MayClose(tab)) {
        m_tabs->removeTab(index);
        delete tab;
        updateTitle();
    }
}

void SessionWindow::closeEvent(QCloseEvent* event) {
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (!MayClose(qobject_cast<SessionTab*>(m_tabs->widget(i)))) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

namespace {

// The session files among dropped urls, and the names of the rest.
std::pair<QStringList, QStringList> sessionFiles(const QMimeData* data) {
    QStringList sessions, others;
    for (const QUrl& url : data->urls()) {
        const bool session =
            url.isLocalFile() && url.toLocalFile().endsWith(".sbg", Qt::CaseInsensitive);
        (session ? sessions : others) << (session ? url.toLocalFile() : url.fileName());
    }
    return {sessions, others};
}

}  // namespace

void SessionWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Only a drag that holds a session file is taken: the pointer says so before the drop.
    if (!sessionFiles(event->mimeData()).first.isEmpty()) {
        event->acceptProposedAction();
    }
}

void SessionWindow::dropEvent(QDropEvent* event) {
    const auto [sessions, others] = sessionFiles(event->mimeData());
    if (sessions.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    if (!others.isEmpty()) {
        say("Not a session file (.sbg), left unopened: " + others.join(", "));
    }
    OpenFiles(sessions);
}

void SessionWindow::keyPressEvent(QKeyEvent* event) {
    // Space plays and pauses wherever the focus is, but in the text, where it is a blank,
    // and on a control that Space presses.
    SessionTab* tab = CurrentTab();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && tab != nullptr) {
        tab->Transport()->PlayPause();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void SessionWindow::find(bool backwards) {
    SessionTab* tab = CurrentTab();
    if (tab == nullptr || m_findText->text().isEmpty()) {
        return;
    }
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (!tab->Editor()->find(m_findText->text(), flags)) {
        // Round from the other end once.
        QTextCursor cursor = tab->Editor()->textCursor();
        cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
        tab->Editor()->setTextCursor(cursor);
        if (!tab->Editor()->find(m_findText->text(), flags)) {
            say("\"" + m_findText->text() + "\" is not in the session.");
        }
    }
}

void SessionWindow::exportAudio() {
    SessionTab* tab = CurrentTab();
    if (tab == nullptr) {
        return;
    }
    if (!tab->Checked()) {
        tab->CheckNow();
        say("The text is still being read: export again in a moment.");
        return;
    }
    if (!tab->Item() || tab->Problems()->count() > 0) {
        say("The session has problems: mend them to export it (F8 goes to the next).");
        return;
    }
    ExportAudioDialog dialog(tab->Item(), tab->Path(), this);
    dialog.exec();
}

void SessionWindow::exportPicture() {
    SessionTab* tab = CurrentTab();
    if (tab == nullptr || !tab->Item()) {
        say("The session has problems: mend them to draw it.");
        return;
    }
    const QString base = QFileInfo(tab->FileName()).completeBaseName();
    const QString path = QFileDialog::getSaveFileName(this, "Export Picture", base + ".png",
                                                      "Pictures (*.png *.svg)");
    if (path.isEmpty()) {
        return;
    }
    if (const auto error = ExportPicture(*tab->Item(), path, tab->Timeline()->size())) {
        QMessageBox::warning(this, "Tovin", *error);
    } else {
        say("Wrote " + path);
    }
}

void SessionWindow::updateTitle() {
    SessionTab* tab = CurrentTab();
    if (tab == nullptr) {
        setWindowTitle("Tovin Sessions");
        setWindowModified(false);
        return;
    }
    setWindowTitle(tab->FileName() + "[*] — Tovin");
    setWindowModified(tab->Modified());
}

void SessionWindow::remember(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value("sessions/recent").toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    settings.setValue("sessions/recent", recent);
}

void SessionWindow::forget(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value("sessions/recent").toStringList();
    recent.removeAll(path);
    settings.setValue("sessions/recent", recent);
}

void SessionWindow::fillRecent() {
    m_recent->clear();
    const QStringList recent = QSettings().value("sessions/recent").toStringList();
    for (const QString& path : recent) {
        m_recent->addAction(QFileInfo(path).fileName() + "  —  " + QFileInfo(path).path(), this,
                            [this, path] { OpenFiles({path}); });
    }
    if (recent.isEmpty()) {
        m_recent->addAction("No recent sessions")->setEnabled(false);
    }
}

void SessionWindow::say(const QString& text) {
    statusBar()->showMessage(text, text.isEmpty() ? 1 : 8000);
}

}  // namespace editor
