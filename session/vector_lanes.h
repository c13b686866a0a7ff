// SPDX-License-Identifier: GPL-3.0-or-later
// Vectors of four and eight doubles (GCC's vector extensions) for the code that runs the
// same operations in every lane, compiled once per instruction set: the fast mix, a spin's
// ears and a wave's series.
#pragma once

#include <cstdint>

namespace session {

using V4d = double __attribute__((vector_size(32)));
using V4l = std::int64_t __attribute__((vector_size(32)));
using V4i = std::int32_t __attribute__((vector_size(16)));
using V8d = double __attribute__((vector_size(64)));
using V8l = std::int64_t __attribute__((vector_size(64)));
using V8i = std::int32_t __attribute__((vector_size(32)));

template <typename V>
struct Lanes;
template <>
struct Lanes<V4d> {
    using Mask = V4l;  // a comparison's result; also whole numbers of 64 bits
    using Int = V4i;
    static constexpr int kCount = 4;
    static constexpr V4d kIota = {0, 1, 2, 3};
};
template <>
struct Lanes<V8d> {
    using Mask = V8l;
    using Int = V8i;
    static constexpr int kCount = 8;
    static constexpr V8d kIota = {0, 1, 2, 3, 4, 5, 6, 7};
};

// Eight vectors of eight lanes turned around: t[j][q] = f[q][j], for code that steps
// eight chains side by side as lanes but keeps each chain's values in a row of its own.
__attribute__((always_inline, target("avx512f"))) inline void Transpose8(const V8d* f, V8d* t) {
    V8d a[8];
    for (int r = 0; r < 8; r += 2) {
        a[r] = __builtin_shufflevector(f[r], f[r + 1], 0, 8, 2, 10, 4, 12, 6, 14);
        a[r + 1] = __builtin_shufflevector(f[r], f[r + 1], 1, 9, 3, 11, 5, 13, 7, 15);
    }
    V8d b[8];
    for (int r = 0; r < 8; r += 4) {
        for (int h = 0; h < 2; ++h) {
            b[r + h] = __builtin_shufflevector(a[r + h], a[r + h + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            b[r + h + 2] =
                __builtin_shufflevector(a[r + h], a[r + h + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    }
    // b[0..3] hold lanes (0 4), (1 5), (2 6), (3 7) of f[0..3]; b[4..7] those of f[4..7].
    for (int c = 0; c < 4; ++c) {
        t[c] = __builtin_shufflevector(b[c], b[c + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        t[c + 4] = __builtin_shufflevector(b[c], b[c + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// Which width the processor runs best: 8 with AVX-512, else 4 (with AVX2, or without).
enum class Width { Baseline, Avx2, Avx512 };
inline Width WidestWidth() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")) {
        return Width::Avx512;
    }
    return __builtin_cpu_supports("avx2") ? Width::Avx2 : Width::Baseline;
}

}  // namespace session
