// Times as people read them on the command line.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// `frames` at `rate` as h:mm:ss, the seconds rounded down ("0:04:05").
std::string ClockText(std::int64_t frames, int rate);

// The same with milliseconds, rounded down ("0:04:05.250").
std::string ClockTextMs(std::int64_t frames, int rate);

}  // namespace cli
