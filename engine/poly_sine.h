// SPDX-License-Identifier: GPL-3.0-or-later
// A sine from a polynomial that works on whole vectors at once, shared by the tone's exact
// fast fill (engine/exact_fill.cpp) and the sessions' fast mix (session/fast_mix.cpp). Neither
// trusts it blindly: each asks the runtime library's sin wherever the error bound below
// could move a sample across a whole number.
#pragma once

namespace tone {

// The nearest doubles to π/2, π, 3π/2 and 2π.
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr double kThreeHalfPi = 4.71238898038469;
constexpr double kTwoPi = 6.283185307179586;

// |PolySine(x) - sin(x)| <= kPolySineError for -π/2 <= x <= 5π/2:
// - the fold onto y in [-π/2, π/2] (sin x = sin(π - x) = sin(x - 2π)) subtracts exactly
//   (x and the constant are within a factor two of each other), and the constants differ
//   from π and 2π by less than 2.5e-16;
// - the Taylor series to y^15 leaves out at most (π/2)^17 / 17! = 6.07e-12;
// - the coefficients' rounding and the evaluation add a few units in the last place of
//   numbers below 2, under 2e-15.
constexpr double kPolySineError = 6.5e-12;

// Works for a double or a GCC vector of doubles alike. The result goes through a reference:
// this is inlined into code for several instruction sets, and a vector returned by value
// would change the calling convention between them.
template <typename V>
__attribute__((always_inline)) inline void PolySine(const V& x, V& sine) {
    V y = x > kHalfPi ? kPi - x : x;
    y = x > kThreeHalfPi ? x - kTwoPi : y;
    const V z = y * y;
    V p = z * (-1.0 / 1307674368000.0) + 1.0 / 6227020800.0;
    p = p * z + -1.0 / 39916800.0;
    p = p * z + 1.0 / 362880.0;
    p = p * z + -1.0 / 5040.0;
    p = p * z + 1.0 / 120.0;
    p = p * z + -1.0 / 6.0;
    sine = y + (y * z) * p;
}

}  // namespace tone
