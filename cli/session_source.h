// SPDX-License-Identifier: GPL-3.0-or-later
// The session a command names: a session file, or one tone-set given with --tones.
#pragma once

#include <optional>

#include "cli/options.h"
#include "session/session.h"

namespace cli {

// Reads it; when it cannot be read, prints each error (its first line prefixed
// "tovin-cli: ", then the line and the caret under the column) and returns nothing.
std::optional<session::Session> LoadSession(const SessionSource& source);

// Checks that every voice can sound at `rate`, printing the errors as LoadSession does.
bool FitsRate(const session::Session& session, int rate);

}  // namespace cli
