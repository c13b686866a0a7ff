// SPDX-License-Identifier: GPL-3.0-or-later
// The resolved timeline as `tovin-cli check` prints it: what plays when, at what level,
// and how each tone-set turns into the next, with every time taken from the samples.
#pragma once

#include <string>

#include "session/session.h"
#include "session/timeline.h"

namespace session {

std::string Describe(const Session& session, const Timeline& timeline);

}  // namespace session
