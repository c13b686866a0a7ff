// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/testing/hooks.h"

#include <atomic>
#include <mutex>

namespace crt::testing {
namespace {
std::atomic<unsigned> g_countdown{0};

bool allowed() {
    unsigned left = g_countdown.load();
    while (left != 0) {
        if (g_countdown.compare_exchange_weak(left, left - 1)) {
            return left != 1;
        }
    }
    return true;
}
}  // namespace

void failAllocation(unsigned nth) {
    g_countdown.store(nth);
    plat::seams::SetAllocationGate(nth != 0 ? allowed : nullptr);
}
}  // namespace crt::testing

namespace plat::testing {
namespace {
std::mutex g_mutex;
std::vector<PortWrite> g_log;

void record(WORD port, BYTE value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.push_back({port, value});
}
}  // namespace

std::vector<PortWrite> PortLog() {
    seams::SetPortObserver(record);
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_log;
}

void ClearPortLog() {
    seams::SetPortObserver(record);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_log.clear();
}

}  // namespace plat::testing
