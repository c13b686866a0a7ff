// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one word of a session line from left to right: where the reader stands, and
// the result it fills, whose first error and its offset in the word are kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace session {

template <typename Result>
struct WordCursor {
    std::string_view word;
    std::size_t at = 0;
    Result result;

    // Records the error at `offset` in the word; returns false, for the reader to return.
    bool fail(std::size_t offset, std::string message) {
        result.error = std::move(message);
        result.offset = offset;
        return false;
    }
};

}  // namespace session
