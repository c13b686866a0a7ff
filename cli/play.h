// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace cli {

// Plays until Ctrl-C or SIGTERM (or the given seconds), then tears down. Returns the exit
// code: 0 after a clean stop; 1 when the sound device could not be opened, or the MIDI
// recording could not be written at the end; 2 when the recording's file cannot be
// created, found before anything plays.
int RunPlay(const PlayOptions& options);

}  // namespace cli
