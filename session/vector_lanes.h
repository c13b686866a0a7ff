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
