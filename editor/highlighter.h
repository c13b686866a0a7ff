// SPDX-License-Identifier: GPL-3.0-or-later
// Colours a session's text by what each word is: comments, descriptions (##), options,
// names being defined, times, voices, and the braces of blocks. It looks at one line at a
// time, as the reader does, and in colours that read on the palette's base, light or dark.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace editor {

enum class Token { Comment, Description, Option, Name, Time, Voice, Block };

class Highlighter : public QSyntaxHighlighter {
  public:
    Highlighter(QTextDocument* document, bool dark);
    // The format a kind of word gets.
    QTextCharFormat FormatOf(Token token) const;
    bool Dark() const { return m_dark; }

  protected:
    void highlightBlock(const QString& text) override;

  private:
    QTextCharFormat m_formats[7];
    bool m_dark;
};

}  // namespace editor
