// SPDX-License-Identifier: GPL-3.0-or-later
// Session files and --tones text to a Session. Nothing in a file is silently ignored:
// whatever is not understood is an error naming its line and column.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/session.h"

namespace session {

// One thing wrong with a session, where it is: what an editor underlines and lists, and
// what a terminal shows.
struct Problem {
    int line = 0;    // 1-based; 0 when it concerns the whole file
    int column = 0;  // 1-based, in characters; 0 with line 0
    std::string message;
    // As a terminal shows it: "FILE:LINE:COLUMN: message", then the line itself and a caret
    // under the column, as three lines joined by '\n' (no final newline); for the whole
    // file, "FILE: message".
    std::string text;
};

struct ReadResult {
    std::optional<Session> session;  // set when there are no problems
    // In line order, the whole file's last; past LineReader::kMaxErrors the list ends with
    // one (line 0) saying how many there were.
    std::vector<Problem> problems;
};

// `name` is the file's name as messages give it, and its folder is where a relative -m name
// counts from. `mixFile`, when given, is the mix file whatever -m says (taken as it is,
// not from the file's folder), so that a mix/ voice needs neither.
ReadResult ReadSessionText(const std::string& text, const std::string& name,
                           const std::optional<std::string>& mixFile = std::nullopt);

// Reads the file; one that cannot be read is an error "FILE: cannot read: reason".
ReadResult ReadSessionFile(const std::string& path,
                           const std::optional<std::string>& mixFile = std::nullopt);

// The voices of one tone-set, as after "NAME:" in a file ("pink/30 200+10/20"), as a
// session of one entry that plays without end. Errors name the column in `voices`.
// `mixFile` is the mix file a mix/ voice plays (the command line's --mix).
ReadResult ReadTones(const std::string& voices,
                     const std::optional<std::string>& mixFile = std::nullopt);

}  // namespace session
