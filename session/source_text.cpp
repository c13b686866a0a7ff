// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/source_text.h"

#include <algorithm>

namespace session {
namespace {

// The length of the valid UTF-8 character at `i`, or 0: no overlong forms, no surrogates,
// nothing past U+10FFFF.
std::size_t characterLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool isControl(std::string_view s, std::size_t i, std::size_t length) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (length == 1) {
        return (lead < 0x20 && lead != '\t') || lead == 0x7F;
    }
    // U+0080 to U+009F are C2 80 to C2 9F.
    return length == 2 && lead == 0xC2 && static_cast<unsigned char>(s[i + 1]) <= 0x9F;
}

// One column of a shown line: the character's bytes, or U+FFFD for what cannot be shown.
struct Cell {
    std::string_view text;
    bool tab;
};

std::vector<Cell> cells(std::string_view line) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::vector<Cell> out;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = characterLength(line, i);
        if (length == 0 || isControl(line, i, length)) {
            out.push_back({kReplacement, false});
            i += length == 0 ? 1 : length;
        } else {
            out.push_back({line.substr(i, length), line[i] == '\t'});
            i += length;
        }
    }
    return out;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
    }
    return lines;
}

std::optional<BadText> FindBadText(std::string_view line) {
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = characterLength(line, i);
        if (length == 0) {
            return BadText{i, "not valid UTF-8 text"};
        }
        if (isControl(line, i, length)) {
            const char* what = line[i] == '\r' ? "a carriage return inside a line"
                               : line[i] == 0  ? "a NUL byte"
                                               : "a control character";
            return BadText{i, std::string(what) + " is not allowed"};
        }
        i += length;
    }
    return std::nullopt;
}

int ColumnAt(std::string_view line, std::size_t offset) {
    int column = 1;
    for (std::size_t i = 0; i < offset && i < line.size();) {
        const std::size_t length = characterLength(line, i);
        i += length == 0 ? 1 : length;
        ++column;
    }
    return column;
}

std::string FormatError(const std::string& name, int lineNumber, std::string_view line,
                        std::size_t offset, const std::string& message) {
    const int column = ColumnAt(line, offset);
    const std::vector<Cell> shown = cells(line);
    const int count = static_cast<int>(shown.size());
    int first = 0;
    int last = count;
    if (count > kShownColumns) {
        first = std::max(0, std::min(column - 1 - kShownColumns / 2, count - kShownColumns));
        last = first + kShownColumns;
    }
    std::string text = first > 0 ? "..." : "";
    std::string caret = first > 0 ? "   " : "";
    for (int i = first; i < last; ++i) {
        text += shown[i].text;
        if (i < column - 1) {
            caret += shown[i].tab ? '\t' : ' ';
        }
    }
    if (last < count) {
        text += "...";
    }
    return name + ":" + std::to_string(lineNumber) + ":" + std::to_string(column) + ": " + message +
           "\n" + text + "\n" + caret + "^";
}

std::string Quoted(std::string_view word) {
    constexpr std::size_t kLongest = 40;
    if (word.size() <= kLongest) {
        return "'" + std::string(word) + "'";
    }
    std::size_t end = kLongest;
    while (end > 0 && (static_cast<unsigned char>(word[end]) & 0xC0) == 0x80) {
        --end;
    }
    return "'" + std::string(word.substr(0, end)) + "'...";
}

}  // namespace session
