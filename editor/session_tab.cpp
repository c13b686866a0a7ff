// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/session_tab.h"

#include "editor/problem_text.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSaveFile>
#include <QSplitter>
#include <QVBoxLayout>

namespace editor {
namespace {

// A session file is at most 1 MiB (the reader refuses more); the bound keeps a wrong file
// from being pulled whole into the editor.
constexpr qint64 kMaxBytes = 1 << 20;

}  // namespace

SessionTab::SessionTab(QWidget* parent)
    : QWidget(parent),
      m_editor(new CodeEditor(this)),
      m_problems(new QListWidget(this)),
      m_timeline(new TimelineView(this)),
      m_transport(new TransportBar(this)),
      m_notice(new QWidget(this)),
      m_noticeText(new QLabel(m_notice)),
      m_problemsHeading(new QLabel("Problems: none", this)),
      m_check([this] { return m_editor->Text().toStdString(); },
              [this](const CheckResult& result) { checked(result); }) {
    m_problems->setAccessibleName("Problems");
    m_problems->setAlternatingRowColors(true);

    auto* reload = new QPushButton("Reload", m_notice);
    auto* keep = new QPushButton("Keep Mine", m_notice);
    auto* noticeRow = new QHBoxLayout(m_notice);
    noticeRow->setContentsMargins(6, 2, 6, 2);
    noticeRow->addWidget(m_noticeText, 1);
    noticeRow->addWidget(reload);
    noticeRow->addWidget(keep);
    m_notice->setAutoFillBackground(true);
    m_notice->setBackgroundRole(QPalette::ToolTipBase);
    m_noticeText->setForegroundRole(QPalette::ToolTipText);
    m_notice->hide();

    // The list under a heading that counts what it holds, so that an empty list reads as
    // "no problems" rather than as a box left blank.
    auto* problemsBox = new QWidget(this);
    auto* problemsColumn = new QVBoxLayout(problemsBox);
    problemsColumn->setContentsMargins(4, 2, 4, 0);
    problemsColumn->setSpacing(2);
    problemsColumn->addWidget(m_problemsHeading);
    problemsColumn->addWidget(m_problems, 1);
    m_problemsHeading->setBuddy(m_problems);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_editor);
    split->addWidget(m_timeline);
    split->addWidget(problemsBox);
    split->setSizes({400, 360, 110});
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_notice);
    column->addWidget(m_transport);
    column->addWidget(split, 1);

    // Tab goes through the controls as they stand, top to bottom.
    std::vector<QWidget*> order{reload, keep};
    for (QWidget* control : m_transport->Controls()) {
        order.push_back(control);
    }
    order.insert(order.end(), {m_editor, m_timeline, m_problems});
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    // Space plays and pauses from the list as from anywhere but the text; in a list of
    // problems it would only search for a blank.
    m_problems->installEventFilter(this);

    connect(m_editor, &QPlainTextEdit::textChanged, this, &SessionTab::textChanged);
    // Problems past the part of a long text that was in when they came are marked now.
    connect(m_editor, &CodeEditor::loaded, this,
            [this] { m_editor->ShowProblems(m_shownProblems); });
    connect(m_editor->document(), &QTextDocument::modificationChanged, this,
            &SessionTab::titleChanged);
    connect(m_problems, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = m_problems->row(item);
        if (row >= 0 && row < static_cast<int>(m_shownProblems.size())) {
            const session::Problem& p = m_shownProblems[static_cast<std::size_t>(row)];
            m_editor->GoTo(std::max(1, p.line), std::max(1, p.column));
        }
    });
    connect(m_transport, &TransportBar::message, this, &SessionTab::message);
    connect(m_transport, &TransportBar::positionChanged, m_timeline, &TimelineView::SetPlayLine);
    connect(m_timeline, &TimelineView::seekRequested, m_transport, &TransportBar::SeekTo);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SessionTab::fileChangedOnDisk);
    connect(reload, &QPushButton::clicked, this, [this] {
        m_notice->hide();
        if (const auto error = Load(m_path)) {
            emit message(*error);
        }
    });
    connect(keep, &QPushButton::clicked, this, [this] {
        m_notice->hide();
        // Ours differs from the file now: saving is what keeps it.
        m_editor->document()->setModified(true);
    });
}

bool SessionTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_problems && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            m_transport->PlayPause();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

SessionTab::~SessionTab() {
    // The text's signals, as the editor goes, would reach a check that has gone before it.
    disconnect(m_editor, nullptr, this, nullptr);
    disconnect(m_editor->document(), nullptr, this, nullptr);
}

QString SessionTab::FileName() const {
    return m_path.isEmpty() ? m_name : QFileInfo(m_path).fileName();
}

bool SessionTab::Modified() const {
    // A long text going in marks the document changed until its last slice is in.
    return !m_editor->Loading() && m_editor->document()->isModified();
}

std::optional<QString> SessionTab::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString("Cannot open %1: %2").arg(path, file.errorString());
    }
    if (file.size() > kMaxBytes) {
        return QString("Cannot open %1: larger than 1 MiB, not a session file").arg(path);
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes) {
        return QString("Cannot open %1: larger than 1 MiB, not a session file").arg(path);
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_editor->Load(QString::fromUtf8(bytes));
    m_editor->document()->setModified(false);
    m_notice->hide();
    watch();
    emit titleChanged();
    // Read at once, the whole of it, while a long text is still going into the editor.
    m_check.TextChanged(m_path.toStdString());
    m_check.CheckNow();
    return std::nullopt;
}

void SessionTab::StartNew(const QString& text, const QString& name) {
    m_name = name;
    m_editor->setPlainText(text);
    m_editor->document()->setModified(false);
    emit titleChanged();
    m_check.CheckNow();
}

std::optional<QString> SessionTab::SaveTo(const QString& path) {
    const QString target = path.isEmpty() ? m_path : path;
    QSaveFile file(target);
    m_saving = true;
    const QByteArray bytes = m_editor->Text().toUtf8();
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    m_saving = false;
    if (!ok) {
        return QString("Cannot save %1: %2").arg(target, file.errorString());
    }
    const bool moved = QFileInfo(target).absoluteFilePath() != m_path;
    m_path = QFileInfo(target).absoluteFilePath();
    m_editor->document()->setModified(false);
    watch();
    emit titleChanged();
    if (moved) {
        m_check.TextChanged(m_path.toStdString());  // a relative mix file counts from here
    }
    return std::nullopt;
}

void SessionTab::watch() {
    if (!m_watcher.files().isEmpty()) {
        m_watcher.removePaths(m_watcher.files());
    }
    if (!m_path.isEmpty()) {
        m_watcher.addPath(m_path);
    }
}

void SessionTab::fileChangedOnDisk() {
    if (m_saving) {
        return;
    }
    // An editor that saves by replacing the file ends the watch on it: watch it again.
    watch();
    if (!QFileInfo::exists(m_path)) {
        m_noticeText->setText(FileName() + " was removed on disk. Saving writes it again.");
    } else {
        m_noticeText->setText(FileName() + " changed on disk.");
    }
    m_notice->show();
}

void SessionTab::textChanged() {
    if (m_editor->Loading()) {
        return;  // Load has the whole text read
    }
    const QString name = m_path.isEmpty() ? m_name : m_path;
    m_check.TextChanged(name.toStdString());
}

void SessionTab::checked(const CheckResult& result) {
    m_shownProblems = result.problems;
    m_editor->ShowProblems(result.problems);
    m_problems->clear();
    m_problemsHeading->setText(result.problems.empty()
                                   ? QString("Problems: none")
                                   : QString("Problems: %1").arg(result.problems.size()));
    for (const session::Problem& problem : result.problems) {
        auto* item = new QListWidgetItem(ProblemText(problem), m_problems);
        item->setData(Qt::AccessibleTextRole, item->text());
    }
    if (result.item) {
        m_item = result.item;
        m_transport->SetItem(m_item, QString());
        m_timeline->SetItem(m_item);
    } else {
        const QString why =
            QString("The session has %1 problem%2; mend %3 to play it (F8 goes to the next).")
                .arg(result.problems.size())
                .arg(result.problems.size() == 1 ? "" : "s")
                .arg(result.problems.size() == 1 ? "it" : "them");
        m_transport->SetItem(nullptr, why);
        m_timeline->SetStale(true);
    }
}

void SessionTab::NextProblem() {
    if (m_shownProblems.empty()) {
        return;
    }
    const QTextCursor cursor = m_editor->textCursor();
    const int here = cursor.position();
    int next = 0;
    for (std::size_t i = 0; i < m_shownProblems.size(); ++i) {
        const session::Problem& p = m_shownProblems[i];
        if (m_editor->PositionOf(std::max(1, p.line), std::max(1, p.column)) > here) {
            next = static_cast<int>(i);
            break;
        }
    }
    m_problems->setCurrentRow(next);
    const session::Problem& p = m_shownProblems[static_cast<std::size_t>(next)];
    m_editor->GoTo(std::max(1, p.line), std::max(1, p.column));
}

}  // namespace editor
