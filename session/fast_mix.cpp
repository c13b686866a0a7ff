// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/fast_mix.h"

#include <vector>

#include "engine/poly_sine.h"
#include "session/vector_lanes.h"

namespace session {
namespace {

using tone::kPolySineError;
using tone::PolySine;

constexpr double kUnit = 0x1p-53;  // the unit roundoff of double arithmetic

// Adding and taking away 1.5 × 2^52 rounds a double below 2^51 in size to a whole number.
constexpr double kRoundMagic = 6755399441055744.0;

// Everything below is inlined into one function per instruction set; vectors go by
// reference, as a vector passed by value would change the calling convention between them.
template <typename V>
__attribute__((always_inline)) inline void load(const double* p, V& v) {
    __builtin_memcpy(&v, p, sizeof v);
}

// The polynomial sines of the phases at p.
template <typename V>
__attribute__((always_inline)) inline void sines(const double* p, V& s) {
    V x;
    load(p, x);
    PolySine(x, s);
}

template <typename V>
__attribute__((always_inline)) inline void store(double* p, const V& v) {
    __builtin_memcpy(p, &v, sizeof v);
}

// Adds one voice's terms, in the same order and with the same roundings as ReferenceFrame
// but with PolySine for sin. `terms` gives the left and right terms of L frames from the
// frame index and the amplitudes.
template <typename V, typename Terms>
__attribute__((always_inline)) inline void addTerms(const MixTrack& t, double first, int frames,
                                                    double* sumL, double* sumR, Terms terms) {
    constexpr int L = Lanes<V>::kCount;
    for (int i = 0; i < frames; i += L) {
        const V k = (first + i) + Lanes<V>::kIota;
        const V amplitude = t.ampBase + t.ampSlope * k;
        V termL;
        V termR;
        terms(i, amplitude, termL, termR);
        V l;
        V r;
        load(sumL + i, l);
        load(sumR + i, r);
        store(sumL + i, l + termL);
        store(sumR + i, r + termR);
    }
}

template <typename V>
__attribute__((always_inline)) inline void addVoice(const MixTrack& t, double first, int frames,
                                                    double* sumL, double* sumR) {
    switch (t.form) {
        case MixForm::Ears:
            addTerms<V>(
                t, first, frames, sumL, sumR,
                [&](int i, const V& amplitude, V& left, V& right) __attribute__((always_inline)) {
                    V s;
                    sines(t.a + i, s);
                    left = amplitude * s;
                    sines(t.b + i, s);
                    right = amplitude * s;
                });
            break;
        case MixForm::Both:
            addTerms<V>(
                t, first, frames, sumL, sumR,
                [&](int i, const V& amplitude, V& left, V& right) __attribute__((always_inline)) {
                    V s;
                    sines(t.a + i, s);
                    left = amplitude * s;
                    right = left;
                });
            break;
        case MixForm::Pulsed:
            addTerms<V>(
                t, first, frames, sumL, sumR,
                [&](int i, const V& amplitude, V& left, V& right) __attribute__((always_inline)) {
                    V pulse;
                    load(t.b + i, pulse);
                    V s;
                    PolySine(pulse, s);
                    const V gain = pulse < kPi ? s * s : V{};
                    sines(t.a + i, s);
                    left = (amplitude * gain) * s;
                    right = left;
                });
            break;
        case MixForm::Signal:
            addTerms<V>(
                t, first, frames, sumL, sumR,
                [&](int i, const V& amplitude, V& left, V& right) __attribute__((always_inline)) {
                    V noise;
                    load(t.a + i, noise);
                    left = amplitude * noise;
                    right = left;
                });
            break;
        case MixForm::Stereo:
            addTerms<V>(
                t, first, frames, sumL, sumR,
                [&](int i, const V& amplitude, V& left, V& right) __attribute__((always_inline)) {
                    V signal;
                    load(t.a + i, signal);
                    left = amplitude * signal;
                    load(t.b + i, signal);
                    right = amplitude * signal;
                });
            break;
    }
}

// The samples of `sum` as ToSample makes them from the polynomial's value, and for each
// how far that value is from the nearest place where truncation changes its result: every
// whole number but 0 (the clamps' bounds included). Below the guard, it cannot vouch for it.
template <typename V>
__attribute__((always_inline)) inline void toSamples(const double* sum, const MixBlock& b,
                                                     std::int32_t* samples, double* margin,
                                                     typename Lanes<V>::Mask& doubt) {
    using Mask = typename Lanes<V>::Mask;
    constexpr int L = Lanes<V>::kCount;
    const V high = V{} + b.format.high;
    const V low = V{} + b.format.low;
    const V zero = V{};
    const V far = V{} + 1.0;
    const V guard = V{} + b.guard;
    const Mask magnitude = Mask{} + 0x7FFFFFFFFFFFFFFF;
    for (int i = 0; i < b.frames; i += L) {
        V v;
        load(sum + i, v);
        v *= b.format.fullScale;
        const V whole = (v + kRoundMagic) - kRoundMagic;
        const V off = reinterpret_cast<V>(reinterpret_cast<Mask>(v - whole) & magnitude);
        const V m = whole == zero ? far : off;
        store(margin + i, m);
        doubt |= m <= guard;
        v = v < high ? v : high;
        v = v > low ? v : low;
        const auto s = __builtin_convertvector(v, typename Lanes<V>::Int);
        __builtin_memcpy(samples + i, &s, sizeof s);
    }
}

// An isochronic voice in the silent half of its pulse over the whole block: each of its
// terms is (amplitude × 0) × s, a zero, and adding a zero leaves every sum as it was (but
// for the sign of a zero sum, which truncates to the same sample). Its sines are skipped.
// A pulse of a few hertz is silent over whole blocks for half of the time.
bool silent(const MixTrack& t, int frames) {
    if (t.form != MixForm::Pulsed) {
        return false;
    }
    for (int i = 0; i < frames; ++i) {
        if (t.b[i] < kPi) {
            return false;
        }
    }
    return true;
}

void referenceFrame(const MixBlock& b, int i, std::int32_t& left, std::int32_t& right) {
    std::vector<VoiceSample> voices(b.count);
    for (int t = 0; t < b.count; ++t) {
        const MixTrack& track = b.tracks[t];
        VoiceSample& v = voices[t];
        v.form = track.form;
        v.amplitude = track.ampBase + track.ampSlope * (b.first + i);
        v.phaseA = track.a[i];
        v.phaseB = track.b != nullptr ? track.b[i] : 0.0;
        v.noise = track.a[i];
        v.noiseB = v.phaseB;
    }
    ReferenceFrame(voices.data(), b.count, b.format, left, right);
}

template <typename V, typename Out>
__attribute__((always_inline)) inline void mixBody(const MixBlock& b, Out* out) {
    constexpr int L = Lanes<V>::kCount;
    static_assert(kMixBlock % L == 0);
    alignas(64) double sumL[kMixBlock];
    alignas(64) double sumR[kMixBlock];
    // Whole vectors: the lanes past the block's end compute values nobody reads.
    const int frames = (b.frames + L - 1) / L * L;
    for (int i = 0; i < frames; ++i) {
        sumL[i] = 0.0;
        sumR[i] = 0.0;
    }
    for (int t = 0; t < b.count; ++t) {
        if (!silent(b.tracks[t], b.frames)) {
            addVoice<V>(b.tracks[t], b.first, frames, sumL, sumR);
        }
    }
    alignas(64) std::int32_t left[kMixBlock];
    alignas(64) std::int32_t right[kMixBlock];
    alignas(64) double marginL[kMixBlock];
    alignas(64) double marginR[kMixBlock];
    typename Lanes<V>::Mask doubt = {};
    toSamples<V>(sumL, b, left, marginL, doubt);
    toSamples<V>(sumR, b, right, marginR, doubt);
    bool any = false;
    for (int l = 0; l < L; ++l) {
        any = any || doubt[l] != 0;
    }
    // Rare (about one frame in a million): the lanes past the block's end may raise it too.
    for (int i = 0; any && i < b.frames; ++i) {
        if (marginL[i] <= b.guard || marginR[i] <= b.guard) {
            referenceFrame(b, i, left[i], right[i]);
        }
    }
    for (int i = 0; i < b.frames; ++i) {
        out[2 * i] = static_cast<Out>(left[i]);
        out[2 * i + 1] = static_cast<Out>(right[i]);
    }
}

template <typename Out>
void mixBaseline(const MixBlock& b, Out* out) {
    mixBody<V4d>(b, out);
}

template <typename Out>
__attribute__((target("avx2"))) void mixAvx2(const MixBlock& b, Out* out) {
    mixBody<V4d>(b, out);
}

template <typename Out>
__attribute__((target("avx512f,avx512dq"))) void mixAvx512(const MixBlock& b, Out* out) {
    mixBody<V8d>(b, out);
}

// Every version computes the same IEEE operations on the same values, so they make the
// same samples; the widest the processor has is the fastest.
template <typename Out>
using Mix = void (*)(const MixBlock&, Out*);

template <typename Out>
Mix<Out> pickMix() {
    switch (WidestWidth()) {
        case Width::Avx512:
            return mixAvx512<Out>;
        case Width::Avx2:
            return mixAvx2<Out>;
        default:
            return mixBaseline<Out>;
    }
}

}  // namespace

// |fast − reference| for the value before truncation, from the errors of each step:
// - a sine term amplitude × s: PolySine and the runtime library's sin (within one unit in
//   the last place, u = 2^-53 relative to 2) differ by at most e = kPolySineError + 2u,
//   and each product rounds by u, so the terms differ by a × (e + 2u);
// - an isochronic term (amplitude × gain) × s: the gains s_p² differ by at most
//   e (2 + e) + 2u, and three more products round: a × (3e + 6u) covers it;
// - a signal term (noise, or any other signal a voice makes itself) is the same value in
//   both;
// - each sum of m terms rounds by at most γ = m u / (1 - m u) times the sum of their
//   sizes (at most P = Σ amplitude × peak), in both mixes: 2 γ P; the scaling by the
//   full scale F rounds each by u: 2 u P F.
// Together: F × (Σ a × e_voice + (2 γ + 2 u) P), with a thousandth more for the products
// of the small terms left out.
double MixGuard(const GuardTerm* terms, int count, const SampleFormat& format) {
    const double e = kPolySineError + 2 * kUnit;
    double sines = 0.0;
    double sizes = 0.0;
    for (int i = 0; i < count; ++i) {
        const GuardTerm& t = terms[i];
        switch (t.form) {
            case MixForm::Ears:
            case MixForm::Both:
                sines += t.amplitude * (e + 2 * kUnit);
                break;
            case MixForm::Pulsed:
                sines += t.amplitude * (3 * e + 6 * kUnit);
                break;
            case MixForm::Signal:
            case MixForm::Stereo:
                break;
        }
        sizes += t.amplitude * t.peak;
    }
    const double m = count;
    const double gamma = m * kUnit / (1 - m * kUnit);
    return format.fullScale * (sines + (2 * gamma + 2 * kUnit) * sizes) * 1.001;
}

void MixFrames(const MixBlock& block, std::int16_t* out) {
    static const Mix<std::int16_t> mix = pickMix<std::int16_t>();
    mix(block, out);
}

void MixFrames(const MixBlock& block, std::int32_t* out) {
    static const Mix<std::int32_t> mix = pickMix<std::int32_t>();
    mix(block, out);
}

}  // namespace session
