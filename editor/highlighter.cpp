// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/highlighter.h"

#include <QRegularExpression>

namespace editor {
namespace {

// A time word: hh:mm[:ss], NOW, a +hh:mm[:ss] part, or a relative chain of them.
bool isTime(const QString& word) {
    static const QRegularExpression time(
        QStringLiteral("^(NOW|\\d{1,2}:\\d{2}(:\\d{2})?)?(\\+\\d{1,2}:\\d{2}(:\\d{2})?)*$"));
    return !word.isEmpty() && time.match(word).hasMatch();
}

}  // namespace

Highlighter::Highlighter(bool dark) : m_dark(dark) {
    // Two sets of colours with the same hues: darker on a light base, lighter on a dark one.
    const char* const light[] = {"#6a737d", "#22863a", "#6f42c1", "#005cc5",
                                 "#b31d28", "#1b1f23", "#e36209"};
    const char* const darkSet[] = {"#8b949e", "#7ee787", "#d2a8ff", "#79c0ff",
                                   "#ffa198", "#e6edf3", "#ffa657"};
    for (int i = 0; i < 7; ++i) {
        m_formats[i].setForeground(QColor(dark ? darkSet[i] : light[i]));
    }
    m_formats[static_cast<int>(Token::Description)].setFontItalic(true);
    m_formats[static_cast<int>(Token::Name)].setFontWeight(QFont::Bold);
    m_formats[static_cast<int>(Token::Block)].setFontWeight(QFont::Bold);
}

QTextCharFormat Highlighter::FormatOf(Token token) const {
    return m_formats[static_cast<int>(token)];
}

QList<QTextLayout::FormatRange> Highlighter::Formats(const QString& text) const {
    QList<QTextLayout::FormatRange> formats;
    const auto setFormat = [&formats](int start, int length, const QTextCharFormat& format) {
        formats.append({start, length, format});
    };
    int start = 0;
    while (start < text.size() && text.at(start).isSpace()) {
        ++start;
    }
    if (text.mid(start, 2) == QLatin1String("##")) {
        setFormat(start, text.size() - start, FormatOf(Token::Description));
        return formats;
    }
    const int hash = text.indexOf(QLatin1Char('#'), start);
    const int end = hash < 0 ? text.size() : hash;
    if (hash >= 0) {
        setFormat(hash, text.size() - hash, FormatOf(Token::Comment));
    }
    bool firstWord = true;
    bool options = false;
    for (int i = start; i < end;) {
        int j = i;
        while (j < end && !text.at(j).isSpace()) {
            ++j;
        }
        const QString word = text.mid(i, j - i);
        if (word == QLatin1String("{") || word == QLatin1String("}")) {
            setFormat(i, j - i, FormatOf(Token::Block));
        } else if (firstWord && word.startsWith(QLatin1Char('-'))) {
            options = true;
        } else if (firstWord && word.contains(QLatin1Char(':')) && !isTime(word)) {
            // "NAME:" defines a tone-set, a block or a drawn wave.
            setFormat(i, word.indexOf(QLatin1Char(':')) + 1, FormatOf(Token::Name));
        } else if (!options && isTime(word)) {
            setFormat(i, j - i, FormatOf(Token::Time));
        } else if (!options && word.contains(QLatin1Char('/'))) {
            setFormat(i, j - i, FormatOf(Token::Voice));
        }
        if (options) {
            setFormat(i, j - i, FormatOf(Token::Option));
        }
        firstWord = false;
        i = j;
        while (i < end && text.at(i).isSpace()) {
            ++i;
        }
    }
    return formats;
}

}  // namespace editor
