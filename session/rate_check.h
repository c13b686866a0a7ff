// SPDX-License-Identifier: GPL-3.0-or-later
// Every frequency a voice sounds must stay below half the sample rate, or it would fold
// back as another pitch. The reader checks against the session's own rate; a render at
// another rate (--rate) checks again with CheckRate before it builds its timeline.
#pragma once

#include <string>
#include <vector>

#include "session/reader.h"
#include "session/session.h"

namespace session {

// Why `voice` cannot sound at `rate`, or "" when it can.
std::string VoiceRateError(const Voice& voice, int rate);

// One problem per voice of any tone-set that cannot sound at `rate`, shown as
// "FILE:LINE:COLUMN: message" with the file as Session::source names it.
std::vector<Problem> CheckRate(const Session& session, int rate);

}  // namespace session
