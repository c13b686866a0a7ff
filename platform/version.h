// SPDX-License-Identifier: GPL-3.0-or-later
// The operating-system version query. The platform id tells the engine whether it may
// drive the PC speaker: 1 (the family whose programs write the speaker's ports) when the
// kernel's PC-speaker tone device can be opened for writing, otherwise 2.
#pragma once

#include "platform/types.h"

namespace plat {

// Accepts records of 148 or 156 bytes (dwOSVersionInfoSize); fails on any other size.
BOOL GetVersionExA(OSVERSIONINFOA* info);

}  // namespace plat
