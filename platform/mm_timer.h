// The high-resolution periodic timer. Each event runs its callback on a thread of its
// own, at absolute deadlines, so the period does not drift; once timeKillEvent returns,
// the callback does not run again (killing from inside the callback included).
#pragma once

#include <optional>

#include "platform/types.h"

namespace plat {

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
MMRESULT timeKillEvent(UINT id);

namespace testing {
// Capabilities timeGetDevCaps reports from now on; nullopt makes it fail. Reset() goes
// back to the real ones.
void SetTimerCaps(std::optional<TIMECAPS> caps);
void ResetTimerCaps();
// How many reservations of `period` are currently held through timeBeginPeriod.
int ReservedPeriods(UINT period);
}  // namespace testing

}  // namespace plat
