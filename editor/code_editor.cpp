// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/code_editor.h"

#include "editor/readable_colour.h"

#include <QFontDatabase>
#include <QPainter>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>

namespace editor {
namespace {

class LineNumbers : public QWidget {
  public:
    explicit LineNumbers(CodeEditor* editor) : QWidget(editor), m_editor(editor) {}
    QSize sizeHint() const override { return {m_editor->LineNumberWidth(), 0}; }

  protected:
    void paintEvent(QPaintEvent* event) override { m_editor->PaintLineNumbers(event); }

  private:
    CodeEditor* m_editor;
};

// The UTF-16 index in `text` of the character at 0-based `characters`: problems count
// characters, Qt counts UTF-16 units, and the two differ past a character outside the BMP.
int unitOf(const QString& text, int characters) {
    int unit = 0;
    for (int c = 0; c < characters && unit < text.size(); ++c) {
        unit += text.at(unit).isHighSurrogate() && unit + 1 < text.size() ? 2 : 1;
    }
    return unit;
}

// A change over more lines than this (a file read in, a long paste) leaves its lines to be
// coloured when they are shown; a smaller one, typing, is coloured at once.
constexpr int kColourAtOnce = 64;

// A text goes in at most this many lines at a time: the first slice fills any screen, and
// each takes a few milliseconds, so the window answers between them.
constexpr int kSliceLines = 4000;

// Where the slice of `text` that starts at `from` ends: past its `lines`th line end.
qsizetype sliceEnd(const QString& text, qsizetype from, int lines) {
    qsizetype at = from;
    for (int n = 0; n < lines; ++n) {
        at = text.indexOf(QLatin1Char('\n'), at);
        if (at < 0) {
            return text.size();
        }
        ++at;
    }
    return at;
}

bool darkPalette(const QWidget* widget) {
    return widget->palette().color(QPalette::Base).lightness() < 128;
}

}  // namespace

CodeEditor::CodeEditor(QWidget* parent)
    : QPlainTextEdit(parent), m_numbers(new LineNumbers(this)), m_colours(darkPalette(this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setAccessibleName("Session text");
    // Tab moves the focus on, as everywhere else in the window, so that the keyboard reaches
    // every control; blanks separate a line's words as well as tabs do.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMargin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeEditor::updateNumbers);
    connect(document(), &QTextDocument::contentsChange, this, &CodeEditor::contentsChanged);
    updateMargin();
}

void CodeEditor::Load(const QString& text) {
    ++m_loads;
    const qsizetype first = sliceEnd(text, 0, kSliceLines);
    if (first == text.size()) {
        m_loadNext = -1;
        m_loadText.clear();
        setPlainText(text);
        document()->setUndoRedoEnabled(true);
        setReadOnly(false);
        return;
    }
    m_loadText = text;
    m_loadNext = first;
    m_loadLines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    setReadOnly(true);
    setPlainText(text.left(first));
    document()->setUndoRedoEnabled(false);
    QTimer::singleShot(0, this, [this, load = m_loads] { loadSlice(load); });
}

void CodeEditor::loadSlice(int load) {
    if (load != m_loads) {
        return;  // a newer text came in meanwhile
    }
    // Each slice ends after a line end, so the next one goes in at the empty last line.
    const qsizetype end = sliceEnd(m_loadText, m_loadNext, kSliceLines);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_loadText.mid(m_loadNext, end - m_loadNext));
    if (end < m_loadText.size()) {
        m_loadNext = end;
        QTimer::singleShot(0, this, [this, load] { loadSlice(load); });
        return;
    }
    m_loadNext = -1;
    m_loadText.clear();
    document()->setUndoRedoEnabled(true);
    document()->setModified(false);
    setReadOnly(false);
    updateMargin();
    emit loaded();
}

void CodeEditor::contentsChanged(int from, int, int added) {
    const QTextBlock first = document()->findBlock(from);
    QTextBlock last = document()->findBlock(from + added);
    if (!last.isValid()) {
        last = document()->lastBlock();
    }
    if (last.blockNumber() - first.blockNumber() >= kColourAtOnce) {
        ++m_colouring;  // all of it, once shown
        return;
    }
    // Called before the layout learns of the change, which then covers the new colours too.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        block.layout()->setFormats(m_colours.Formats(block.text()));
        block.setUserState(m_colouring);
        if (block == last) {
            break;
        }
    }
    document()->markContentsDirty(first.position(),
                                  last.position() + last.length() - first.position());
}

void CodeEditor::colourShown() {
    QTextBlock block = firstVisibleBlock();
    double top = blockBoundingGeometry(block).translated(contentOffset()).top();
    QTextBlock first, last;
    for (; block.isValid() && top <= viewport()->height(); block = block.next()) {
        if (block.userState() != m_colouring) {
            block.layout()->setFormats(m_colours.Formats(block.text()));
            block.setUserState(m_colouring);
            if (!first.isValid()) {
                first = block;
            }
            last = block;
        }
        top += blockBoundingRect(block).height();
    }
    if (first.isValid()) {
        // The lines are laid out again with their colours (bold words are wider) before they
        // are painted; the layout asks for one more paint, which finds nothing to colour.
        document()->markContentsDirty(first.position(),
                                      last.position() + last.length() - first.position());
    }
}

void CodeEditor::paintEvent(QPaintEvent* event) {
    colourShown();
    QPlainTextEdit::paintEvent(event);
}

void CodeEditor::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    // The desktop went from light to dark or back: colours that read on the new base.
    if (event->type() == QEvent::PaletteChange && m_colours.Dark() != darkPalette(this)) {
        m_colours = Highlighter(darkPalette(this));
        ++m_colouring;
        viewport()->update();
    }
}

int CodeEditor::LineNumberWidth() const {
    int digits = 1;
    // As wide as the whole text needs from the start, while it goes in.
    for (int n = std::max({1, blockCount(), Loading() ? m_loadLines : 0}); n >= 10; n /= 10) {
        ++digits;
    }
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits);
}

void CodeEditor::updateMargin() {
    setViewportMargins(LineNumberWidth(), 0, 0, 0);
}

void CodeEditor::updateNumbers(const QRect& rect, int dy) {
    if (dy != 0) {
        m_numbers->scroll(0, dy);
    } else {
        m_numbers->update(0, rect.y(), m_numbers->width(), rect.height());
    }
}

void CodeEditor::resizeEvent(QResizeEvent* event) {
    // Lines never wrap, so a new width changes no line. Qt would still lay every line out
    // again when the width changes, with a QTextLayout for each: for 100000 lines a sixth of
    // a second and tens of megabytes, before the window first shows and at every step of
    // a resize. Handed on as a change of height alone, it sets the scroll bars and leaves
    // the lines as they are.
    QResizeEvent heightOnly(event->size(), QSize(event->size().width(), event->oldSize().height()));
    QPlainTextEdit::resizeEvent(&heightOnly);
    const QRect area = contentsRect();
    m_numbers->setGeometry(QRect(area.left(), area.top(), LineNumberWidth(), area.height()));
}

QColor CodeEditor::LineNumberBackground() const {
    return palette().color(QPalette::AlternateBase);
}

QColor CodeEditor::LineNumberColour() const {
    // Quieter than the text, but never below the contrast text must keep to be read: the
    // palette's own placeholder grey was all but invisible on a dark base.
    return Softened(palette().color(QPalette::Text), LineNumberBackground(), 4.5);
}

void CodeEditor::PaintLineNumbers(QPaintEvent* event) {
    QPainter painter(m_numbers);
    painter.fillRect(event->rect(), LineNumberBackground());
    painter.setPen(LineNumberColour());
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            painter.drawText(0, top, m_numbers->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top += height;
    }
}

int CodeEditor::PositionOf(int line, int column) const {
    const QTextBlock block = document()->findBlockByNumber(std::max(0, line - 1));
    if (!block.isValid()) {
        return document()->characterCount() - 1;
    }
    const int unit = unitOf(block.text(), std::max(0, column - 1));
    return block.position() + std::min(unit, static_cast<int>(block.text().size()));
}

void CodeEditor::GoTo(int line, int column) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(PositionOf(line, column));
    setTextCursor(cursor);
    centerCursor();
    setFocus();
}

void CodeEditor::ShowProblems(const std::vector<session::Problem>& problems) {
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(QColor(0xd0, 0x20, 0x20));
    for (const session::Problem& problem : problems) {
        if (problem.line <= 0) {
            continue;
        }
        const QTextBlock block = document()->findBlockByNumber(problem.line - 1);
        if (!block.isValid()) {
            continue;
        }
        const QString text = block.text();
        int begin = unitOf(text, problem.column - 1);
        int end = begin;
        while (end < text.size() && !text.at(end).isSpace()) {
            ++end;
        }
        if (end == begin) {
            // At a line's end or on a blank: mark the character before, so it shows.
            begin = std::max(0, begin - 1);
            end = std::min(static_cast<int>(text.size()), begin + 1);
        }
        QTextEdit::ExtraSelection mark;
        mark.format = format;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(block.position() + begin);
        mark.cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
        marks.append(mark);
    }
    setExtraSelections(marks);
}

}  // namespace editor
