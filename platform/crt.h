// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime-library services the engine relies on: the classic C-runtime random
// generator with its state per thread, and the allocator (whose failures a test can
// provoke through platform/seams.h).
#pragma once

#include <cstddef>

namespace crt {

constexpr int RAND_MAX_VALUE = 0x7FFF;

// state = state * 214013 + 2531011; value = (state >> 16) & 0x7FFF. Each thread starts
// as if seeded with 1.
int rand();
void srand(unsigned seed);

void* malloc(std::size_t size);
void free(void* block);

}  // namespace crt
