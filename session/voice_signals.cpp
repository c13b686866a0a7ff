// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/voice_signals.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

#include "engine/poly_sine.h"
#include "session/sample.h"
#include "session/vector_lanes.h"

namespace session {

// The ring is a power of two: a sample's place is its index's low bits. An index below 0
// (before the voice began) lands on a place not written yet, which still holds 0, and no
// place a block reads has been written over by the block's own noise: no delay reaches back
// more than kHistory − kMaxBlock − 2 places.
constexpr std::int64_t kMask = SpinRun::kHistory - 1;

void SpinRun::makeNoise(int count) {
    if (m_ring.empty()) {
        m_ring.assign(kHistory, 0.0);
    }
    const auto at = static_cast<int>(m_count & kMask);
    const int first = std::min(count, static_cast<int>(kHistory) - at);
    m_noise.Fill(&m_ring[static_cast<std::size_t>(at)], first);
    if (first < count) {
        m_noise.Fill(m_ring.data(), count - first);
    }
    m_count += count;
}

namespace {

// N at m − delay for each lane: the whole part by truncation, one less where that passed
// the value (below 0), then the straight line between the two samples around it.
template <typename V>
__attribute__((always_inline)) inline void gather(const double* ring, const V4l& at, V& out) {
    for (int l = 0; l < Lanes<V>::kCount; ++l) {
        out[l] = ring[at[l]];
    }
}

// One instruction for the eight loads, where the lane-by-lane loads take sixteen.
__attribute__((target("avx512f"))) inline void gather(const double* ring, const V8l& at, V8d& out) {
    out = reinterpret_cast<V8d>(_mm512_mask_i64gather_pd(_mm512_setzero_pd(), 0xFF,
                                                         reinterpret_cast<__m512i>(at), ring, 8));
}

template <typename V>
__attribute__((always_inline)) inline void ears(const double* ring, const V& at, V& out) {
    using Int = typename Lanes<V>::Mask;
    Int i = __builtin_convertvector(at, Int);
    V whole = __builtin_convertvector(i, V);
    i += reinterpret_cast<Int>(whole > at);  // -1 where truncation went up
    whole = __builtin_convertvector(i, V);
    V a;
    V b;
    gather(ring, i & kMask, a);
    gather(ring, (i + 1) & kMask, b);
    out = a + (b - a) * (at - whole);
}

// Every lane computes what the scalar definition says, operation for operation, so any
// width gives the same values. Whole vectors only: the caller's arrays hold kMaxBlock.
template <typename V>
__attribute__((always_inline)) inline void spinBody(const double* ring, std::int64_t base,
                                                    double perMicro, const double* phase,
                                                    const double* width, int count, double* left,
                                                    double* right) {
    constexpr int L = Lanes<V>::kCount;
    constexpr double most = SpinRun::kHistory - SpinRun::kMaxBlock - 2;
    for (int i = 0; i < count; i += L) {
        V p;
        V w;
        __builtin_memcpy(&p, phase + i, sizeof p);
        __builtin_memcpy(&w, width + i, sizeof w);
        V s;
        tone::PolySine(p, s);
        const V tau = w * s;
        const V m = static_cast<double>(base + i) + Lanes<V>::kIota;
        V dl = (w + tau) * perMicro;
        V dr = (w - tau) * perMicro;
        dl = dl < most ? dl : most;
        dr = dr < most ? dr : most;
        V l;
        V r;
        ears(ring, m - dl, l);
        ears(ring, m - dr, r);
        __builtin_memcpy(left + i, &l, sizeof l);
        __builtin_memcpy(right + i, &r, sizeof r);
    }
}

using SpinFn = void (*)(const double*, std::int64_t, double, const double*, const double*, int,
                        double*, double*);

void spinBaseline(const double* ring, std::int64_t base, double perMicro, const double* phase,
                  const double* width, int count, double* left, double* right) {
    spinBody<V4d>(ring, base, perMicro, phase, width, count, left, right);
}

__attribute__((target("avx2"))) void spinAvx2(const double* ring, std::int64_t base,
                                              double perMicro, const double* phase,
                                              const double* width, int count, double* left,
                                              double* right) {
    spinBody<V4d>(ring, base, perMicro, phase, width, count, left, right);
}

__attribute__((target("avx512f,avx512dq"))) void spinAvx512(const double* ring, std::int64_t base,
                                                            double perMicro, const double* phase,
                                                            const double* width, int count,
                                                            double* left, double* right) {
    spinBody<V8d>(ring, base, perMicro, phase, width, count, left, right);
}

SpinFn pickSpin() {
    switch (WidestWidth()) {
        case Width::Avx512:
            return spinAvx512;
        case Width::Avx2:
            return spinAvx2;
        default:
            return spinBaseline;
    }
}

}  // namespace

void SpinRun::Block(const double* phase, const double* width, int count, double* left,
                    double* right) {
    const std::int64_t base = m_count;
    makeNoise(count);
    // Whole vectors of 8: the lanes past `count` read and write the arrays' spare room.
    alignas(64) double p[kMaxBlock + 8] = {};
    alignas(64) double w[kMaxBlock + 8] = {};
    alignas(64) double l[kMaxBlock + 8];
    alignas(64) double r[kMaxBlock + 8];
    std::copy(phase, phase + count, p);
    std::copy(width, width + count, w);
    static const SpinFn spin = pickSpin();
    spin(m_ring.data(), base, m_perMicro, p, w, count, l, r);
    std::copy(l, l + count, left);
    std::copy(r, r + count, right);
}

void SpinRun::Skip(std::int64_t count) {
    // Only the last kHistory values can still be heard.
    const std::int64_t gone = std::max<std::int64_t>(0, count - kHistory);
    m_noise.Skip(gone);
    m_count += gone;
    for (std::int64_t left = count - gone; left > 0;) {
        const int n = static_cast<int>(std::min<std::int64_t>(left, 512));
        makeNoise(n);
        left -= n;
    }
}

double BellRing::Next(std::int64_t n) {
    const std::int64_t t = n - m_strike;
    if (t < 0 || t >= m_length) {
        return 0.0;
    }
    const double value = std::exp2(-static_cast<double>(t) / m_halving) * std::sin(m_phase);
    m_phase += m_step;
    if (m_phase >= kTwoPi) {
        m_phase -= kTwoPi;
    }
    return value;
}

}  // namespace session

namespace session {

void BellRing::Block(std::int64_t n0, int count, double* out) {
    const std::int64_t from = std::clamp<std::int64_t>(m_strike - n0, 0, count);
    const std::int64_t to = std::clamp<std::int64_t>(m_strike + m_length - n0, from, count);
    for (std::int64_t i = from; i < to; ++i) {
        const double value = Next(n0 + i);
        if (out != nullptr) {
            out[i] = value;
        }
    }
    if (out != nullptr) {
        std::fill(out, out + from, 0.0);
        std::fill(out + to, out + count, 0.0);
    }
}

}  // namespace session
