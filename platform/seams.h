// SPDX-License-Identifier: GPL-3.0-or-later
// The points where a test library stands in for the machine: an allocation that fails,
// the speaker's port writes seen as they happen, the timer's capabilities, the version
// query. The program itself sets none of them, and then each costs one load.
#pragma once

#include <functional>
#include <optional>

#include "platform/types.h"

namespace plat::seams {

// crt::malloc fails when the gate (if set) says no.
using AllocationGate = bool (*)();
void SetAllocationGate(AllocationGate gate);

// outp hands every write to the observer (if set) before the speaker gets it.
using PortObserver = void (*)(WORD port, BYTE value);
void SetPortObserver(PortObserver observer);

// timeGetDevCaps reports `caps` instead of the machine's, or fails for nullopt, until
// ClearTimerCaps.
void OverrideTimerCaps(std::optional<TIMECAPS> caps);
void ClearTimerCaps();
// How many reservations of `period` timeBeginPeriod holds.
int ReservedPeriods(UINT period);

// GetVersionExA answers with the query (if set) instead of the machine.
using VersionQuery = std::function<BOOL(OSVERSIONINFOA* info)>;
void SetVersionQuery(VersionQuery query);

}  // namespace plat::seams
