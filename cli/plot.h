// SPDX-License-Identifier: GPL-3.0-or-later
// tovin-cli plot: the timeline picture of a session, as PNG or SVG, without a display.
#pragma once

#include "cli/options.h"

namespace cli {

// 0 when written; 2 when the session cannot be read or the picture cannot be written,
// with the reason on stderr.
int RunPlot(const PlotOptions& options, int& argc, char** argv);

}  // namespace cli
