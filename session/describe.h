// The resolved timeline as `tovin-cli check` prints it: what plays when, at what level,
// and how each tone-set turns into the next, with every time taken from the samples.
#pragma once

#include <cstdint>
#include <string>

#include "session/session.h"
#include "session/timeline.h"

namespace session {

std::string Describe(const Session& session, const Timeline& timeline);

// A sample position as hh:mm:ss, with .mmm when it is not a whole second (to the nearest
// millisecond, halves up).
std::string FormatSampleTime(std::int64_t sample, int rate);

}  // namespace session
