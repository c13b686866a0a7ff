#pragma once

#include "cli/options.h"

namespace cli {

// Plays until Ctrl-C (or the given seconds), then tears down. Returns the exit code:
// 0 after a clean stop, 1 when the sound device could not be opened.
int RunPlay(const PlayOptions& options);

}  // namespace cli
