// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/types.h"

namespace plat {
// Plays a sine tone of `frequency` Hz for `duration` ms and returns when it has sounded;
// false when no sound device could be opened.
bool PlayAlsaTone(DWORD frequency, DWORD duration);
}  // namespace plat
