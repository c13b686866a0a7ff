// SPDX-License-Identifier: GPL-3.0-or-later
// Time's one home: milliseconds to frames and back, the h:mm:ss that people read and write,
// and which sample rate a command uses. Every command and check's listing go through these,
// so that a time never reads one way in one place and another way in the next.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/session.h"

namespace session {

// The rate a command uses: the command line's (--rate) over the file's (-r), else 44100.
int RateInUse(const Session& session, std::optional<int> asked = std::nullopt);

// The nearest frame to a time in quarter milliseconds, halves up: floor(q × rate / 4000 +
// 1/2). Times stay below 1000 days (3.5e11 quarters), so at 192000 Hz the product stays
// below 7e16. The timeline keeps its positions in quarters until this last step.
std::int64_t FramesOfQuarterMs(std::int64_t quarters, int rate);

// The same for a session run `quick` times as fast (-q): floor(q × rate / (4000 × quick) +
// 1/2), so that a time is divided exactly before it is placed on a sample.
std::int64_t FramesOfQuarterMs(std::int64_t quarters, int rate, int quick);

// The nearest frame to `ms`, halves up, as the timeline places the file's times.
std::int64_t FramesOfMs(std::int64_t ms, int rate);

// The last whole millisecond that `frames` have reached (rounded down): a clock never shows
// a second before it has been played, and a report of sound written never claims more than
// was written. No overflow for any frame count.
std::int64_t MsOfFrames(std::int64_t frames, int rate);

enum class ClockStyle {
    Listing,  // "00:04:05", with ".250" only when not a whole second: check's columns
    Running,  // "0:04:05", the whole seconds: a clock that counts on
    Exact,    // "0:04:05.250": where a time is reported once
};

// `ms` as text. Hours have as many digits as they need.
std::string FormatClock(std::int64_t ms, ClockStyle style);

// The same for a frame count, through MsOfFrames.
std::string FormatFrames(std::int64_t frames, int rate, ClockStyle style);

// "h:mm:ss" as milliseconds: hours any number of digits up to `maxHours`, minutes and
// seconds one or two digits, 0 to 59. Nothing when the text is anything else.
std::optional<std::int64_t> ReadClock(std::string_view text, std::int64_t maxHours = 24000);

}  // namespace session
