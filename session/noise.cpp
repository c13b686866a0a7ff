// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/noise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "session/sample.h"

namespace session {
namespace {

// exp(x) for x <= 0 from additions, multiplications and divisions alone, so that the
// filter coefficients, and with them every noise sample, are the same on every machine
// (the runtime library's exp may differ in its last bit from one library to another).
// x is halved until it is at most 2^-8 in size (exactly), the series to x^8 then leaves
// out less than 1e-27, and each squaring back doubles the relative error: about 1e-13 at
// the end, far below anything that would change the filter's shape.
double portableExp(double x) {
    int halvings = 0;
    while (x < -0x1p-8) {
        x *= 0.5;
        ++halvings;
    }
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 8; ++n) {
        term = term * x / n;
        sum += term;
    }
    for (int i = 0; i < halvings; ++i) {
        sum *= sum;
    }
    return sum;
}

// The pole (or zero) of a one-pole section with its corner at `hz`: exp(-2π hz / rate),
// the analogue section's impulse response sampled at the rate.
double cornerPole(double hz, int rate) {
    return portableExp(-kTwoPi * hz / rate);
}

// Pink: poles 1.5 octaves apart from 10 Hz to 0.45 of the rate, each followed 0.75 octave
// higher by a zero. From a pole to its zero the response falls 6 dB per octave, from the
// zero to the next pole it holds: 3 dB per octave on average, within 0.1 dB of that line
// from 100 Hz to 5 kHz at 44.1 kHz. The cascade
//     H(w) = Π_j (1 - z_j w) / (1 - p_j w),  w = 1/z,
// runs in parallel form, d + Σ_k A_k / (1 - p_k w), whose sections do not wait on one
// another: d = Π z_j / Π p_j (both forms as w grows without bound) and
// A_k = Π_j (1 - z_j / p_k) / Π_{j≠k} (1 - p_j / p_k) (the residue at w = 1/p_k).
void designPink(NoiseShape& shape, int rate) {
    const double ratio = 2.0 * std::sqrt(2.0);  // 2^1.5
    const double zeroRatio = std::sqrt(ratio);  // 2^0.75
    double zero[kMaxNoiseSections];
    int n = 0;
    for (double hz = 10.0; hz < 0.45 * rate && n < kMaxNoiseSections; hz *= ratio) {
        shape.pole[n] = cornerPole(hz, rate);
        zero[n] = cornerPole(hz * zeroRatio, rate);
        ++n;
    }
    shape.sections = n;
    shape.direct = 1.0;
    for (int j = 0; j < n; ++j) {
        shape.direct *= zero[j] / shape.pole[j];
    }
    for (int k = 0; k < n; ++k) {
        double residue = 1.0;
        for (int j = 0; j < n; ++j) {
            residue *= 1.0 - zero[j] / shape.pole[k];
            if (j != k) {
                residue /= 1.0 - shape.pole[j] / shape.pole[k];
            }
        }
        shape.gain[k] = residue;
    }
}

// Scales the shape to an RMS level of `rms`. The white input, uniform on [-1, 1), has
// variance 1/3; the output's variance is that times E = Σ_n h[n]², h the impulse response:
// h[0] = d + Σ_k A_k and h[n] = Σ_k A_k p_k^n for n >= 1, so
//     E = (d + ΣA)² + Σ_{j,k} A_j A_k Σ_{n>=1} (p_j p_k)^n
//       = d² + 2 d ΣA + Σ_{j,k} A_j A_k / (1 - p_j p_k).
// Multiplying d and every A_k by rms × sqrt(3 / E) makes the variance rms². The output can
// never exceed max|x| Σ_n |h[n]| <= |d| + Σ_k |A_k| / (1 - p_k) in size (the margin covers
// the rounding of the sections' state), nor the hold at 1.
void normalise(NoiseShape& shape, double rms) {
    const int n = shape.sections;
    double sumA = 0.0;
    double cross = 0.0;
    for (int j = 0; j < n; ++j) {
        sumA += shape.gain[j];
        for (int k = 0; k < n; ++k) {
            cross += shape.gain[j] * shape.gain[k] / (1.0 - shape.pole[j] * shape.pole[k]);
        }
    }
    const double energy = shape.direct * shape.direct + 2.0 * shape.direct * sumA + cross;
    const double scale = rms * std::sqrt(3.0 / energy);
    shape.direct *= scale;
    double bound = std::abs(shape.direct);
    for (int k = 0; k < n; ++k) {
        shape.gain[k] *= scale;
        bound += std::abs(shape.gain[k]) / (1.0 - shape.pole[k]);
    }
    shape.peak = std::min(bound * (1.0 + 1e-9), 1.0);
}

// SplitMix64's finaliser: every input bit reaches every output bit.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

}  // namespace

NoiseShape DesignNoise(VoiceKind colour, int rate) {
    NoiseShape shape;
    switch (colour) {
        // The levels that session files have been written for, measured from the players
        // people tuned them with, so that a file keeps the balance its author heard.
        case VoiceKind::Pink:
            designPink(shape, rate);
            normalise(shape, 0.154);
            break;
        case VoiceKind::Brown:
            // One section with its corner at 20 Hz: flat below, 6 dB per octave down above.
            shape.sections = 1;
            shape.pole[0] = cornerPole(20.0, rate);
            shape.gain[0] = 1.0;
            normalise(shape, 0.0744);
            break;
        default:
            shape.direct = 1.0;  // white: the generator's uniform values as they are
            shape.peak = 1.0;
            break;
    }
    return shape;
}

double WhiteValue(std::uint64_t key, std::uint64_t index) {
    // The top 53 bits as a signed whole number, exactly a double, times 2^-52.
    const std::uint64_t z = mix(key + (index + 1) * 0x9E3779B97F4A7C15u);
    return static_cast<double>(static_cast<std::int64_t>(z) >> 11) * 0x1p-52;
}

std::uint64_t NoiseKey(std::uint64_t seed, int track) {
    return mix(seed ^ mix(static_cast<std::uint64_t>(track) + 0x632BE59BD9B4E019u));
}

double NoiseRun::Next() {
    double value;
    Fill(&value, 1);
    return value;
}

namespace {

using V4d = double __attribute__((vector_size(32)));

// The sections four at a time, each group of four a vector: the state of every section
// depends on its own last value only, so the groups move on side by side.
template <int Groups>
__attribute__((always_inline)) inline void fillGroups(const NoiseShape& shape, std::uint64_t key,
                                                      std::uint64_t& index, double* state,
                                                      double* out, int count) {
    V4d pole[Groups > 0 ? Groups : 1] = {};
    V4d gain[Groups > 0 ? Groups : 1] = {};
    V4d s[Groups > 0 ? Groups : 1] = {};
    for (int k = 0; k < 4 * Groups; ++k) {
        pole[k / 4][k % 4] = shape.pole[k];
        gain[k / 4][k % 4] = shape.gain[k];
        s[k / 4][k % 4] = state[k];
    }
    const double direct = shape.direct;
    for (int i = 0; i < count; ++i) {
        const double x = WhiteValue(key, index++);
        double value = direct * x;
        if constexpr (Groups > 0) {
            V4d sum = {};
            for (int g = 0; g < Groups; ++g) {
                s[g] = pole[g] * s[g] + gain[g] * x;
                sum = g == 0 ? s[0] : sum + s[g];
            }
            value += (sum[0] + sum[1]) + (sum[2] + sum[3]);
        }
        // The hold at ±1 (white never reaches past it; pink and brown all but never).
        out[i] = value > 1.0 ? 1.0 : value < -1.0 ? -1.0 : value;
    }
    for (int k = 0; k < 4 * Groups; ++k) {
        state[k] = s[k / 4][k % 4];
    }
}

template <int Groups>
using Fill = void (*)(const NoiseShape&, std::uint64_t, std::uint64_t&, double*, double*, int);

// The same operations on the same values in both, so the same noise; with AVX2 the state
// of four sections fits one register.
template <int Groups>
void fillBaseline(const NoiseShape& shape, std::uint64_t key, std::uint64_t& index, double* state,
                  double* out, int count) {
    fillGroups<Groups>(shape, key, index, state, out, count);
}

template <int Groups>
__attribute__((target("avx2"))) void fillAvx2(const NoiseShape& shape, std::uint64_t key,
                                              std::uint64_t& index, double* state, double* out,
                                              int count) {
    fillGroups<Groups>(shape, key, index, state, out, count);
}

template <int Groups>
Fill<Groups> pickFill() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? fillAvx2<Groups> : fillBaseline<Groups>;
}

template <int Groups>
void fill(const NoiseShape& shape, std::uint64_t key, std::uint64_t& index, double* state,
          double* out, int count) {
    static const Fill<Groups> chosen = pickFill<Groups>();
    chosen(shape, key, index, state, out, count);
}

}  // namespace

void NoiseRun::Fill(double* out, int count) {
    static_assert(kMaxNoiseSections == 12);
    switch ((m_shape->sections + 3) / 4) {
        case 0:
            fill<0>(*m_shape, m_key, m_index, m_state, out, count);
            break;
        case 1:
            fill<1>(*m_shape, m_key, m_index, m_state, out, count);
            break;
        case 2:
            fill<2>(*m_shape, m_key, m_index, m_state, out, count);
            break;
        default:
            fill<3>(*m_shape, m_key, m_index, m_state, out, count);
            break;
    }
}

void NoiseRun::Skip(std::int64_t count) {
    double scratch[256];
    while (count > 0) {
        const int n = count < 256 ? static_cast<int>(count) : 256;
        Fill(scratch, n);
        count -= n;
    }
}

}  // namespace session
