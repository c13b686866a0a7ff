// SPDX-License-Identifier: GPL-3.0-or-later
// The line a playing session shows on a terminal: where it is, the entry playing, each
// voice's pitch in each ear and level, and when the sound next changes:
//   0:12:04 / 0:30:00  deep  pink 40%  203.0|197.0 Hz 20%  next change in 0:02:56
#pragma once

#include <cstdint>
#include <string>

#include "session/session.h"
#include "session/timeline.h"

namespace cli {

std::string StatusLine(const session::Session& session, const session::Timeline& timeline,
                       std::int64_t frame);

}  // namespace cli
