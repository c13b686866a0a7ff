// SPDX-License-Identifier: GPL-3.0-or-later
// The time of a time line: "h:mm", "h:mm:ss" or "NOW", then any relative parts
// ("+h:mm", "+h:mm:ss"); or relative parts alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace session {

struct TimeRead {
    enum class Base { Clock, Now, None };  // None: relative parts alone
    Base base = Base::None;
    std::int64_t clockMs = 0;     // Clock: from midnight, below a day
    std::int64_t relativeMs = 0;  // the relative parts added up
    std::string error;            // empty when the word was read
    std::size_t offset = 0;       // where in the word the error is
};

// Reads a whole blank-free word. Hours have one or two digits (0 to 23 in a clock time),
// minutes and seconds one or two (0 to 59), so no part can grow past its field.
TimeRead ReadTime(std::string_view word);

constexpr std::int64_t kDayMs = 24 * 3600 * 1000LL;

// Where a session starts for -T: the first moment from the first entry (at clock time
// `firstClock`, from midnight) up to the last (`lastMs` after it) whose clock reads
// `startClock`, as milliseconds to skip; when none does, minus the silence from
// `startClock` to the first entry's clock time, less than a day.
std::int64_t StartOffset(std::int64_t firstClock, std::int64_t lastMs, std::int64_t startClock);

}  // namespace session

namespace session {

// Places the times of successive time lines on the session's clock: the first entry is
// 0; a clock time earlier than the clock time before it is on the next day; a relative
// part alone counts from the last clock time or NOW written. NOW is the moment the
// session starts, which has no clock time, so a session uses either NOW or clock times.
class SessionClock {
  public:
    // Milliseconds from the first entry (negative for a time before it), or nothing with
    // `error` set.
    std::optional<std::int64_t> Place(const TimeRead& time, std::string& error);

    // Whether the time just placed is a clock time taken as on the next day.
    bool NextDay() const { return nextDay_; }

    // The clock time of the first time placed, from midnight; nothing when the times count
    // from NOW (or none was placed).
    std::optional<std::int64_t> OriginClockMs() const;

    // Far beyond any session, and small enough that a time in quarter milliseconds
    // times a sample rate of 192000 stays well inside 64 bits.
    static constexpr std::int64_t kMaxMs = 1000 * kDayMs;

  private:
    TimeRead::Base mode_ = TimeRead::Base::None;
    std::int64_t lastClock_ = 0;
    std::int64_t lastBase_ = 0;           // the last clock time or NOW, days included
    std::optional<std::int64_t> origin_;  // the first entry's time on the same scale
    bool nextDay_ = false;
};

}  // namespace session
