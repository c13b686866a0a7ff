#include "cli/clock_text.h"

#include <cstdio>

namespace cli {
namespace {

std::string format(std::int64_t ms, bool withMs) {
    char text[48];
    const long long seconds = ms / 1000;
    if (withMs) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%03lld", seconds / 3600,
                      seconds / 60 % 60, seconds % 60, static_cast<long long>(ms % 1000));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    }
    return text;
}

// Whole milliseconds in `frames`, without overflow for any length a session can have.
std::int64_t milliseconds(std::int64_t frames, int rate) {
    return frames / rate * 1000 + frames % rate * 1000 / rate;
}

}  // namespace

std::string ClockText(std::int64_t frames, int rate) {
    return format(milliseconds(frames, rate), false);
}

std::string ClockTextMs(std::int64_t frames, int rate) {
    return format(milliseconds(frames, rate), true);
}

}  // namespace cli
