// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace cli {

// Renders the WAV file; on a terminal a progress bar shows the blocks written. Returns the
// exit code: 0 when the file is complete, 1 (after a one-line message) when it could not
// be created, a write failed, or there was no memory for the render.
int RunRender(const RenderOptions& options);

}  // namespace cli
