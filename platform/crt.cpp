// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/crt.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "platform/seams.h"

namespace crt {
namespace {
thread_local std::uint32_t t_state = 1;
std::atomic<plat::seams::AllocationGate> g_gate{nullptr};
}  // namespace

int rand() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void srand(unsigned seed) {
    t_state = seed;
}

void* malloc(std::size_t size) {
    const plat::seams::AllocationGate gate = g_gate.load();
    if (gate != nullptr && !gate()) {
        return nullptr;
    }
    return std::malloc(size);
}

void free(void* block) {
    std::free(block);
}

}  // namespace crt

namespace plat::seams {
void SetAllocationGate(AllocationGate gate) {
    crt::g_gate.store(gate);
}
}  // namespace plat::seams
