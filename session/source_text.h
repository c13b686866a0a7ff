// SPDX-License-Identifier: GPL-3.0-or-later
// The text of a session file as lines, and errors shown the way a person finds them:
// "FILE:LINE:COLUMN: message", the line itself, and a caret under the column.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace session {

// Splits at LF; a CR before the LF belongs to the line end. A final line without LF
// counts; a UTF-8 byte-order mark at the very start is dropped (some editors write one).
std::vector<std::string_view> SplitLines(std::string_view text);

// The first place in `line` that is not acceptable text: a byte that does not begin a
// valid UTF-8 character, or a control character (anything below a blank but the tab,
// DEL, and the C1 controls), which could drive a terminal when the line is shown.
struct BadText {
    std::size_t offset = 0;
    std::string message;
};
std::optional<BadText> FindBadText(std::string_view line);

// The 1-based column of the byte at `offset`: characters counted, not bytes.
int ColumnAt(std::string_view line, std::size_t offset);

// The three lines of an error (without a final newline). The line is shown with tabs as
// they are and anything unprintable as U+FFFD, one column each, so the caret line (tabs
// where the line has tabs) lands under the column. A very long line is shown as a window
// of kShownColumns characters around the column, marked with "...".
std::string FormatError(const std::string& name, int lineNumber, std::string_view line,
                        std::size_t offset, const std::string& message);

constexpr int kShownColumns = 160;

// A word from the file as a message repeats it: quoted, and cut after 40 bytes (never
// inside a character). The reader only quotes text that has passed FindBadText.
std::string Quoted(std::string_view word);

}  // namespace session
