// SPDX-License-Identifier: GPL-3.0-or-later
// The session a command names: a session file, or one tone-set given with --tones.
#pragma once

#include <optional>

#include <vector>
#include "cli/options.h"

#include "session/reader.h"
#include "session/session.h"
#include "session/session_mix.h"

namespace cli {

// Reads it; when it cannot be read, prints each error (its first line prefixed
// "tovin-cli: ", then the line and the caret under the column) and returns nothing.
std::optional<session::Session> LoadSession(const SessionSource& source);

// Prints each problem as LoadSession does.
void PrintProblems(const std::vector<session::Problem>& problems);

// Opens the session's mix file, if it has one, printing why when it cannot be read (then
// `problem` is set).
session::OpenedMix OpenMixOrSay(const session::Session& session, int rate);

// Checks that every voice can sound at `rate`, printing the errors as LoadSession does.
bool FitsRate(const session::Session& session, int rate);

}  // namespace cli
