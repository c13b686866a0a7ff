// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace cli {

// Plays a session (a file or --tones) through the default sound device until it ends,
// Ctrl-C or --seconds. Returns the exit code: 0 after the end or a stop, 1 when the sound
// device could not be opened, 2 when the session could not be read.
int RunSessionPlay(const SessionPlayOptions& options);

}  // namespace cli
