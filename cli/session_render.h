// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace cli {

// Renders a session (a file or --tones) to a sound file whose extension names its format.
// Returns the exit code: 0 when the file is complete, 1 (after a one-line message) when
// it could not be written, 2 when the session could not be read.
int RunSessionRender(const SessionRenderOptions& options);

}  // namespace cli
