// SPDX-License-Identifier: GPL-3.0-or-later
// Colours a session's text by what each word is: comments, descriptions (##), options,
// names being defined, times, voices, and the braces of blocks. It looks at one line at a
// time, as the reader does, and in colours that read on the palette's base, light or dark.
// It only says what a line's colours are; the editor applies them to the lines on screen.
#pragma once

#include <QList>
#include <QTextCharFormat>
#include <QTextLayout>

namespace editor {

enum class Token { Comment, Description, Option, Name, Time, Voice, Block };

class Highlighter {
  public:
    explicit Highlighter(bool dark);
    // The format a kind of word gets.
    QTextCharFormat FormatOf(Token token) const;
    bool Dark() const { return m_dark; }
    // The colours of one line, in UTF-16 units of it.
    QList<QTextLayout::FormatRange> Formats(const QString& text) const;

  private:
    QTextCharFormat m_formats[7];
    bool m_dark;
};

}  // namespace editor
