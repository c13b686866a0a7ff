// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace cli {

// Reads a session file and prints its resolved timeline. Returns 0, or 2 after printing
// the errors.
int RunCheck(const CheckOptions& options);

}  // namespace cli
