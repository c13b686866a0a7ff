// SPDX-License-Identifier: GPL-3.0-or-later
// The high-resolution periodic timer. Each event runs its callback on a thread of its
// own, at absolute deadlines, so the period does not drift; once timeKillEvent returns,
// the callback does not run again (killing from inside the callback included).
#pragma once

#include "platform/types.h"

namespace plat {

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
MMRESULT timeKillEvent(UINT id);

}  // namespace plat
