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

// The samples at `at` and at the places after them.
template <typename V>
__attribute__((always_inline)) inline void neighbours(const double* noise, const V4l& at, V& a,
                                                      V& b) {
    for (int l = 0; l < Lanes<V>::kCount; ++l) {
        a[l] = noise[at[l]];
        b[l] = noise[at[l] + 1];
    }
}

// A delay moves little from one sample to the next, so the eight lanes' places nearly
// always lie within sixteen samples of the first lane's: two loads and two permutations then
// pick them out, far cheaper than gathering them one by one.
__attribute__((target("avx512f"))) inline void neighbours(const double* noise, const V8l& at,
                                                          V8d& a, V8d& b) {
    const std::int64_t low = at[0];
    const V8l offset = at - low;
    const __m512i after = reinterpret_cast<__m512i>(offset + 1);
    // Unsigned, so that a lane before the first lane's place (below 0) fails it too.
    const __mmask8 near =
        _mm512_cmplt_epu64_mask(reinterpret_cast<__m512i>(offset), _mm512_set1_epi64(15));
    if (__builtin_expect(near == 0xFF, 1)) {
        const __m512d first = _mm512_loadu_pd(noise + low);
        const __m512d second = _mm512_loadu_pd(noise + low + 8);
        a = reinterpret_cast<V8d>(
            _mm512_permutex2var_pd(first, reinterpret_cast<__m512i>(offset), second));
        b = reinterpret_cast<V8d>(_mm512_permutex2var_pd(first, after, second));
        return;
    }
    const __m512d none = _mm512_setzero_pd();
    a = reinterpret_cast<V8d>(
        _mm512_mask_i64gather_pd(none, 0xFF, reinterpret_cast<__m512i>(at), noise, 8));
    b = reinterpret_cast<V8d>(_mm512_mask_i64gather_pd(none, 0xFF, after, noise + low, 8));
}

// N at m − delay for each lane: the whole part by truncation, one less where that passed
// the value (below 0), then the straight line between the two samples around it. `noise`
// holds N from index `first` on.
template <typename V>
__attribute__((always_inline)) inline void ears(const double* noise, std::int64_t first,
                                                const V& at, V& out) {
    using Int = typename Lanes<V>::Mask;
    Int i = __builtin_convertvector(at, Int);
    V whole = __builtin_convertvector(i, V);
    i += reinterpret_cast<Int>(whole > at);  // -1 where truncation went up
    whole = __builtin_convertvector(i, V);
    V a;
    V b;
    neighbours(noise, i - first, a, b);
    out = a + (b - a) * (at - whole);
}

// The longest delay the ears take, in samples.
constexpr double kMost = SpinRun::kHistory - SpinRun::kMaxBlock - 2;

// Every lane computes what the scalar definition says, operation for operation, so any
// width gives the same values. Whole vectors only: the caller's arrays hold kMaxBlock + 8.
template <typename V>
__attribute__((always_inline)) inline void spinBody(const SpinWindow& window, const double* phase,
                                                    const double* width, int count, double* left,
                                                    double* right) {
    constexpr int L = Lanes<V>::kCount;
    const double* noise = window.noise.data();
    const double perMicro = window.perMicro;
    for (int i = 0; i < count; i += L) {
        V p;
        V w;
        __builtin_memcpy(&p, phase + i, sizeof p);
        __builtin_memcpy(&w, width + i, sizeof w);
        V s;
        tone::PolySine(p, s);
        const V tau = w * s;
        const V m = static_cast<double>(window.base + i) + Lanes<V>::kIota;
        V dl = (w + tau) * perMicro;
        V dr = (w - tau) * perMicro;
        dl = dl < kMost ? dl : kMost;
        dr = dr < kMost ? dr : kMost;
        V l;
        V r;
        ears(noise, window.first, m - dl, l);
        ears(noise, window.first, m - dr, r);
        __builtin_memcpy(left + i, &l, sizeof l);
        __builtin_memcpy(right + i, &r, sizeof r);
    }
}

using SpinFn = void (*)(const SpinWindow&, const double*, const double*, int, double*, double*);

void spinBaseline(const SpinWindow& window, const double* phase, const double* width, int count,
                  double* left, double* right) {
    spinBody<V4d>(window, phase, width, count, left, right);
}

__attribute__((target("avx2"))) void spinAvx2(const SpinWindow& window, const double* phase,
                                              const double* width, int count, double* left,
                                              double* right) {
    spinBody<V4d>(window, phase, width, count, left, right);
}

__attribute__((target("avx512f,avx512dq"))) void spinAvx512(const SpinWindow& window,
                                                            const double* phase,
                                                            const double* width, int count,
                                                            double* left, double* right) {
    spinBody<V8d>(window, phase, width, count, left, right);
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

void SpinRun::Take(int count, double widest, SpinWindow& window) {
    window.base = m_count;
    window.perMicro = m_perMicro;
    makeNoise(count);
    // A delay is at most 2 × widest × perMicro samples (|sin| is 1 within 1e-11, and each
    // rounding moves it by a part in 2^53), and at most kMost; the straight line reads the
    // sample before its whole part and the one after. The lanes past `count` (up to 8 more)
    // read there too, from the place their zero phase and width give them; and a vector's
    // loads may read 16 samples on from its first lane's place.
    const double delay =
        std::min(kMost, std::ceil(2.0 * std::fabs(widest) * m_perMicro * 1.000001));
    const std::int64_t reach = static_cast<std::int64_t>(delay) + 3;
    window.first = window.base - reach;
    const std::int64_t end = window.base + count + 8 + reach + 16;
    window.noise.resize(static_cast<std::size_t>(end - window.first));
    // A stretch at a time, up to where the ring wraps.
    for (std::int64_t j = window.first; j < end;) {
        const std::int64_t at = j & kMask;
        const std::int64_t n = std::min(end - j, kHistory - at);
        std::copy_n(m_ring.begin() + at, n, window.noise.begin() + (j - window.first));
        j += n;
    }
}

void SpinEars(const SpinWindow& window, const double* phase, const double* width, int count,
              double* left, double* right) {
    static const SpinFn spin = pickSpin();
    spin(window, phase, width, count, left, right);
}

void SpinRun::Block(const double* phase, const double* width, int count, double* left,
                    double* right) {
    double widest = 0.0;
    for (int i = 0; i < count; ++i) {
        widest = std::max(widest, std::fabs(width[i]));
    }
    Take(count, widest, m_window);
    // Whole vectors of 8: the lanes past `count` read and write the arrays' spare room.
    alignas(64) double p[kMaxBlock + 8] = {};
    alignas(64) double w[kMaxBlock + 8] = {};
    alignas(64) double l[kMaxBlock + 8];
    alignas(64) double r[kMaxBlock + 8];
    std::copy(phase, phase + count, p);
    std::copy(width, width + count, w);
    SpinEars(m_window, p, w, count, l, r);
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
