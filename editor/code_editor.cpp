// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/code_editor.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>

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

}  // namespace

CodeEditor::CodeEditor(QWidget* parent) : QPlainTextEdit(parent), m_numbers(new LineNumbers(this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setAccessibleName("Session text");
    // Tab moves the focus on, as everywhere else in the window, so that the keyboard reaches
    // every control; blanks separate a line's words as well as tabs do.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMargin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeEditor::updateNumbers);
    updateMargin();
}

int CodeEditor::LineNumberWidth() const {
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10) {
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
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_numbers->setGeometry(QRect(area.left(), area.top(), LineNumberWidth(), area.height()));
}

void CodeEditor::PaintLineNumbers(QPaintEvent* event) {
    QPainter painter(m_numbers);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
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
