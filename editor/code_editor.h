// SPDX-License-Identifier: GPL-3.0-or-later
// The session's text: a plain-text editor with line numbers down its left side and each
// problem underlined where the reader found it.
#pragma once

#include <QPlainTextEdit>
#include <vector>

#include "session/reader.h"

namespace editor {

class CodeEditor : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CodeEditor(QWidget* parent = nullptr);

    // Underlines each problem from its column to the end of the word there; a problem of
    // the whole file (line 0) underlines nothing.
    void ShowProblems(const std::vector<session::Problem>& problems);
    // Puts the cursor at a 1-based line and column (in characters, as problems count them).
    void GoTo(int line, int column);
    // The document position of a 1-based line and column, clamped to the line's end.
    int PositionOf(int line, int column) const;

    int LineNumberWidth() const;
    void PaintLineNumbers(QPaintEvent* event);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateMargin();
    void updateNumbers(const QRect& rect, int dy);

    QWidget* m_numbers;
};

}  // namespace editor
