// SPDX-License-Identifier: GPL-3.0-or-later
// What tests and benchmarks do to the platform layer through its seams: make an
// allocation fail, read the speaker's port writes, replace the timer's capabilities and
// the version answer.
#pragma once

#include <optional>
#include <vector>

#include "platform/seams.h"
#include "platform/types.h"

namespace crt::testing {
// The next allocation that would be number `nth` (counting from 1, from now on) fails;
// 0 turns the fault off.
void failAllocation(unsigned nth);
}  // namespace crt::testing

namespace plat::testing {

struct PortWrite {
    WORD port;
    BYTE value;
    bool operator==(const PortWrite&) const = default;
};
// Every port write since the log was last cleared (it starts recording at the first call
// of either), in order.
std::vector<PortWrite> PortLog();
void ClearPortLog();

// Capabilities timeGetDevCaps reports from now on; nullopt makes it fail.
// ResetTimerCaps goes back to the real ones.
inline void SetTimerCaps(std::optional<TIMECAPS> caps) {
    seams::OverrideTimerCaps(caps);
}
inline void ResetTimerCaps() {
    seams::ClearTimerCaps();
}
using seams::ReservedPeriods;
// Answers GetVersionExA from now on; an empty query restores the real one.
using seams::SetVersionQuery;

}  // namespace plat::testing
