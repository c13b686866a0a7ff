// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/time_text.h"

#include "session/word_cursor.h"

namespace session {
namespace {

struct Cursor : WordCursor<TimeRead> {
    // One to two digits no greater than `max`; `what` names the field in messages.
    bool field(int max, const char* what, std::int64_t& out) {
        const std::size_t start = at;
        out = 0;
        while (at < word.size() && word[at] >= '0' && word[at] <= '9') {
            if (at - start == 2) {
                return fail(start, std::string(what) + " have one or two digits");
            }
            out = out * 10 + (word[at++] - '0');
        }
        if (at == start) {
            return fail(at, std::string("expected ") + what + " (digits)");
        }
        if (out > max) {
            return fail(start, std::string(what) + " are 0 to " + std::to_string(max) +
                                   (max == 23 ? " in a clock time (longer with +h:mm)" : ""));
        }
        return true;
    }

    // "h:mm" or "h:mm:ss" as milliseconds.
    bool clock(bool relative, std::int64_t& ms) {
        std::int64_t hours = 0;
        std::int64_t minutes = 0;
        std::int64_t seconds = 0;
        if (!field(relative ? 99 : 23, "hours", hours)) {
            return false;
        }
        if (at >= word.size() || word[at] != ':') {
            return fail(at, "expected ':' and minutes after the hours");
        }
        ++at;
        if (!field(59, "minutes", minutes)) {
            return false;
        }
        if (at < word.size() && word[at] == ':') {
            ++at;
            if (!field(59, "seconds", seconds)) {
                return false;
            }
        }
        ms = ((hours * 60 + minutes) * 60 + seconds) * 1000;
        return true;
    }
};

}  // namespace

TimeRead ReadTime(std::string_view word) {
    Cursor c{{word, 0, {}}};
    TimeRead& r = c.result;
    if (word.substr(0, 3) == "NOW") {
        r.base = TimeRead::Base::Now;
        c.at = 3;
    } else if (!word.empty() && word[0] != '+') {
        r.base = TimeRead::Base::Clock;
        if (!c.clock(false, r.clockMs)) {
            return r;
        }
    }
    while (c.at < word.size()) {
        if (word[c.at] != '+') {
            c.fail(c.at, "expected '+' and a relative time, or a blank, after the time");
            return r;
        }
        ++c.at;
        std::int64_t part = 0;
        if (!c.clock(true, part)) {
            return r;
        }
        r.relativeMs += part;
    }
    return r;
}

}  // namespace session

namespace session {

std::optional<std::int64_t> SessionClock::Place(const TimeRead& time, std::string& error) {
    using Base = TimeRead::Base;
    if (time.base != Base::None && mode_ != Base::None && time.base != mode_) {
        error =
            "NOW and clock times cannot be mixed: a session plays whenever it is started, "
            "so NOW has no clock time";
        return std::nullopt;
    }
    if (time.base == Base::None && mode_ == Base::None) {
        error =
            "a relative time alone counts from the last clock time or NOW, and none "
            "comes before it";
        return std::nullopt;
    }
    if (time.base == Base::Clock) {
        std::int64_t day = lastBase_ / kDayMs;
        nextDay_ = mode_ == Base::Clock && time.clockMs < lastClock_;
        if (nextDay_) {
            ++day;
        }
        lastClock_ = time.clockMs;
        lastBase_ = day * kDayMs + time.clockMs;
    } else {
        nextDay_ = false;
        if (time.base == Base::Now) {
            lastBase_ = 0;
        }
    }
    if (time.base != Base::None) {
        mode_ = time.base;
    }
    const std::int64_t at = lastBase_ + time.relativeMs;
    if (!origin_) {
        origin_ = at;
    }
    if (at - *origin_ > kMaxMs) {
        error = "more than 1000 days after the session's start";
        return std::nullopt;
    }
    return at - *origin_;
}

std::optional<std::int64_t> SessionClock::OriginClockMs() const {
    if (mode_ != TimeRead::Base::Clock || !origin_) {
        return std::nullopt;
    }
    return *origin_ % kDayMs;
}

std::int64_t StartOffset(std::int64_t firstClock, std::int64_t lastMs, std::int64_t startClock) {
    const auto dayOf = [](std::int64_t ms) { return (ms % kDayMs + kDayMs) % kDayMs; };
    const std::int64_t ahead = dayOf(startClock - firstClock);
    return ahead <= lastMs ? ahead : -dayOf(firstClock - startClock);
}

}  // namespace session
