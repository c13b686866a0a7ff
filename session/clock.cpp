// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/clock.h"

#include <cstdio>

#include "session/decimal.h"

namespace session {

int RateInUse(const Session& session, std::optional<int> asked) {
    return asked.value_or(session.rate.value_or(44100));
}

std::int64_t FramesOfQuarterMs(std::int64_t quarters, int rate) {
    return (quarters * rate + 2000) / 4000;
}

std::int64_t FramesOfQuarterMs(std::int64_t quarters, int rate, int quick) {
    const std::int64_t per = 4000LL * quick;  // quick is at most 1000: no overflow below
    return (quarters * rate + per / 2) / per;
}

std::int64_t FramesOfMs(std::int64_t ms, int rate) {
    return FramesOfQuarterMs(4 * ms, rate);
}

std::int64_t MsOfFrames(std::int64_t frames, int rate) {
    // Whole seconds apart first: frames × 1000 alone could overflow for the largest counts.
    return frames / rate * 1000 + frames % rate * 1000 / rate;
}

std::string FormatClock(std::int64_t ms, ClockStyle style) {
    const long long seconds = ms / 1000;
    const long long fraction = ms % 1000;
    char text[64];
    std::snprintf(text, sizeof text,
                  style == ClockStyle::Listing ? "%02lld:%02lld:%02lld" : "%lld:%02lld:%02lld",
                  seconds / 3600, seconds / 60 % 60, seconds % 60);
    std::string out(text);
    if (style == ClockStyle::Exact || (style == ClockStyle::Listing && fraction != 0)) {
        std::snprintf(text, sizeof text, ".%03lld", fraction);
        out += text;
    }
    return out;
}

std::string FormatFrames(std::int64_t frames, int rate, ClockStyle style) {
    return FormatClock(MsOfFrames(frames, rate), style);
}

namespace {

// Digits only, at most `maxDigits` of them (0: any number), and no more than `max`.
std::optional<std::int64_t> whole(std::string_view text, std::size_t maxDigits, std::int64_t max) {
    if (maxDigits != 0 && text.size() > maxDigits) {
        return std::nullopt;
    }
    const auto value = ReadWholeNumber(text, static_cast<std::uint64_t>(max));
    return value ? std::optional<std::int64_t>(static_cast<std::int64_t>(*value)) : std::nullopt;
}

}  // namespace

std::optional<std::int64_t> ReadClock(std::string_view text, std::int64_t maxHours) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto hours = whole(text.substr(0, first), 0, maxHours);
    const auto minutes = whole(text.substr(first + 1, second - first - 1), 2, 59);
    const auto seconds = whole(text.substr(second + 1), 2, 59);
    if (!hours || !minutes || !seconds) {
        return std::nullopt;
    }
    return ((*hours * 60 + *minutes) * 60 + *seconds) * 1000;
}

}  // namespace session
