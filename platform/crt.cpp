#include "platform/crt.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace crt {
namespace {
thread_local std::uint32_t t_state = 1;
std::atomic<unsigned> g_failCountdown{0};
}  // namespace

int rand() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void srand(unsigned seed) {
    t_state = seed;
}

void* malloc(std::size_t size) {
    unsigned left = g_failCountdown.load();
    while (left != 0) {
        if (g_failCountdown.compare_exchange_weak(left, left - 1)) {
            if (left == 1) {
                return nullptr;
            }
            break;
        }
    }
    return std::malloc(size);
}

void free(void* block) {
    std::free(block);
}

namespace testing {
void failAllocation(unsigned nth) {
    g_failCountdown.store(nth);
}
}  // namespace testing

}  // namespace crt
