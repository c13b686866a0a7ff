// SPDX-License-Identifier: GPL-3.0-or-later
// Blocks ("NAME: {" ... "}"): time lines that a time line calls by name, expanded in place
// into the session's entries. The line reader gathers the lines; this turns them, and the
// file's own time lines, into entries, with every error at the line it concerns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

namespace session {

// One time line as read, before its name is known to be a tone-set or a block.
struct TimedLine {
    // Outside a block, from the file's first time line; in a block, from the calling line.
    std::int64_t ms = 0;
    char fadeIn = '-';
    char fadeOut = '-';
    bool arrow = false;
    bool nextDay = false;
    std::string_view name;
    int line = 0;  // index into the file's lines
    std::size_t timeOffset = 0;
    std::size_t nameOffset = 0;
    // Where its FF or "->" is, which a call may not have; npos when it has neither.
    std::size_t callOffset = std::string_view::npos;
};

struct Block {
    std::string_view name;
    int line = 0;  // index into the file's lines, of "NAME: {"
    std::vector<TimedLine> lines;
};

struct BlockError {
    int line;  // index into the file's lines
    std::size_t offset;
    std::string message;
};

struct Expansion {
    std::vector<Entry> entries;  // in the file's order, times from the first entry
    // Where the first entry is from the file's first time line: a call's first line may
    // place it later.
    std::int64_t firstMs = 0;
    std::vector<BlockError> errors;  // the first `maxErrors`
    int errorCount = 0;
};

// A file whose blocks expand to more entries than this is refused: far past any real
// session, and a bound on what a few lines that call each other many times can ask for.
constexpr int kMaxExpandedEntries = 100000;
// Calls made while expanding, nested ones counted each time: a deep nest called many times
// costs this much work with few entries, so it is bounded too.
constexpr int kMaxExpandedCalls = 1000000;

// Expands the file's own time lines `top`, calling `blocks` by name, with `sets` naming the
// tone-sets. Nothing recurses, so a nest of any depth is safe.
Expansion ExpandBlocks(const std::vector<TimedLine>& top, const std::vector<Block>& blocks,
                       const std::map<std::string, int, std::less<>>& sets,
                       const std::map<std::string, int, std::less<>>& blockIndex, int maxErrors);

}  // namespace session
