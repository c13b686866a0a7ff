// SPDX-License-Identifier: GPL-3.0-or-later
// One session being edited: its text, the problems the reader finds in it, its timeline
// and the controls that play it, and the file it is kept in.
#pragma once

#include <QFileSystemWatcher>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <optional>

#include "editor/code_editor.h"
#include "editor/session_check.h"
#include "editor/timeline_view.h"
#include "editor/transport_bar.h"

namespace editor {

class SessionTab : public QWidget {
    Q_OBJECT
  public:
    explicit SessionTab(QWidget* parent = nullptr);
    ~SessionTab() override;

    // Reads the file into the editor; on failure, the reason as a person reads it.
    std::optional<QString> Load(const QString& path);
    // Starts a new, unsaved session with `text`.
    void StartNew(const QString& text, const QString& name);
    // Writes the text to its file (`path`, or the one it has); the reason when it cannot.
    std::optional<QString> SaveTo(const QString& path);
    std::optional<QString> Revert() { return Load(m_path); }

    QString Path() const { return m_path; }  // empty until saved
    QString FileName() const;                // "NAME.sbg"
    bool Modified() const;
    // Moves the cursor to the next problem after it, round to the first.
    void NextProblem();

    CodeEditor* Editor() const { return m_editor; }
    QListWidget* Problems() const { return m_problems; }
    TransportBar* Transport() const { return m_transport; }
    TimelineView* Timeline() const { return m_timeline; }
    // What plays and is drawn: the last text that read without problems, or null.
    const std::shared_ptr<const player::PlayItem>& Item() const { return m_item; }
    // Whether the text as it stands is all in and has been read (no check still to come).
    bool Checked() const { return !m_check.Pending() && !m_editor->Loading(); }
    // Reads the text as it stands at once, without waiting for typing to pause.
    void CheckNow() { m_check.CheckNow(); }

  signals:
    void titleChanged();
    void message(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void textChanged();
    void checked(const CheckResult& result);
    void fileChangedOnDisk();
    void watch();

    CodeEditor* m_editor;
    QListWidget* m_problems;
    TimelineView* m_timeline;
    TransportBar* m_transport;
    QWidget* m_notice;  // "changed on disk", with Reload and Keep
    QLabel* m_noticeText;
    QLabel* m_problemsHeading;
    QFileSystemWatcher m_watcher;
    SessionCheck m_check;
    std::shared_ptr<const player::PlayItem> m_item;
    std::vector<session::Problem> m_shownProblems;
    QString m_path;
    QString m_name;         // for a session not yet saved
    bool m_saving = false;  // our own write is not a change on disk
};

}  // namespace editor
