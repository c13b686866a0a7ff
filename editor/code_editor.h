// SPDX-License-Identifier: GPL-3.0-or-later
// The session's text: a plain-text editor with line numbers down its left side, the words
// coloured by what they are, and each problem underlined where the reader found it.
#pragma once

#include <QPlainTextEdit>
#include <vector>

#include "editor/highlighter.h"
#include "session/reader.h"

namespace editor {

class CodeEditor : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CodeEditor(QWidget* parent = nullptr);

    // Puts `text` in, unmodified and with nothing to undo. A long text goes in a screenful
    // first and the rest in slices from the event loop, so that the window shows at once
    // and stays live; the editor is read-only until the last slice is in (`loaded`).
    void Load(const QString& text);
    bool Loading() const { return m_loadNext >= 0; }
    // The whole text, the part still to come in included.
    QString Text() const { return Loading() ? m_loadText : toPlainText(); }

    // Underlines each problem from its column to the end of the word there; a problem of
    // the whole file (line 0) underlines nothing.
    void ShowProblems(const std::vector<session::Problem>& problems);
    // Puts the cursor at a 1-based line and column (in characters, as problems count them).
    void GoTo(int line, int column);
    // The document position of a 1-based line and column, clamped to the line's end.
    int PositionOf(int line, int column) const;

    int LineNumberWidth() const;
    void PaintLineNumbers(QPaintEvent* event);
    // The line numbers' colours, as they are painted.
    QColor LineNumberColour() const;
    QColor LineNumberBackground() const;
    const Highlighter& Colours() const { return m_colours; }

  signals:
    void loaded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void updateMargin();
    void updateNumbers(const QRect& rect, int dy);
    void contentsChanged(int from, int removed, int added);
    void colourShown();
    void loadSlice(int load);

    QWidget* m_numbers;
    Highlighter m_colours;
    // Lines are coloured as they come on screen, never all at once: a file of 100000 lines
    // would take a good part of a second, and a QTextLayout a line. A line is coloured when
    // its user state holds this; a new palette or a large change moves it on.
    int m_colouring = 1;
    // The text being put in, where the next slice of it starts (-1: none), its lines, and
    // which load this is (a new one drops the slices of the one before).
    QString m_loadText;
    qsizetype m_loadNext = -1;
    int m_loadLines = 0;
    int m_loads = 0;
};

}  // namespace editor
