// SPDX-License-Identifier: GPL-3.0-or-later
// Byte writes to the PC speaker's I/O ports (0x42 timer counter 2, 0x43 timer mode,
// 0x61 speaker gate). Ports are never read. Every write goes to the bridge that sounds the
// kernel's PC-speaker device (and, in tests, to the observer of platform/seams.h first).
#pragma once

#include "platform/types.h"

namespace plat {

void outp(WORD port, BYTE value);

}  // namespace plat
