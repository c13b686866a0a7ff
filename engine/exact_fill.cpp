// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exact_fill.h"

#include <bit>

#include "engine/poly_sine.h"
#include "engine/tone.h"

namespace tone {
namespace {

using V4d = double __attribute__((vector_size(32)));
using V4l = std::int64_t __attribute__((vector_size(32)));
using V4i = std::int32_t __attribute__((vector_size(16)));
using V4u = std::uint32_t __attribute__((vector_size(16)));

// A scaled polynomial value farther than kGuard from every whole number truncates to the
// same sample as the runtime library's sin, so long as the two sines differ by less than
// kGuard / 32768 = 1e-10: the polynomial's own error is below kPolySineError, which
// leaves the runtime library nearly a million units in the last place where it is
// within one. (+32768, the one value kept at 32767, is a whole number too.) About one
// sample in 150000 falls inside the guard and is asked of the runtime library instead.
constexpr double kGuard = tone::kScale * 1e-10;
static_assert(kGuard > 10 * tone::kScale * kPolySineError);

// Adding and taking away 1.5 × 2^52 rounds a double below 2^51 to the nearest whole number.
constexpr double kRoundMagic = 6755399441055744.0;

// Four samples, scaled but not yet truncated, and which of them the polynomial cannot
// decide: too close to a whole number, or a phase outside the polynomial's range.
__attribute__((always_inline)) inline void scaledSines(const double* phases, V4d& scaled,
                                                       V4l& undecided) {
    V4d x;
    __builtin_memcpy(&x, phases, sizeof x);
    V4d v;
    PolySine(x, v);
    v *= tone::kScale;
    const V4d whole = (v + kRoundMagic) - kRoundMagic;
    const V4d off = v - whole;
    // Truncation toward zero turns everything between -1 and 1 into 0, so 0 is no boundary.
    undecided =
        (off < kGuard && off > -kGuard && whole != 0.0) | !(x >= kFastLow) | (x > kFastHigh);
    // Undecided lanes are worked out again; keep them finite on the way.
    scaled = undecided ? 0.0 : v;
}

__attribute__((always_inline)) inline V4i truncated(const V4d& scaled) {
    const V4i s = __builtin_convertvector(scaled, V4i);
    return s > 32767 ? 32767 : s;
}

// Four frames: left in the low half of each word, right in the high half, which is their
// order in memory on a little-endian machine.
static_assert(std::endian::native == std::endian::little);
__attribute__((always_inline)) inline void fourFrames(const double* left, const double* right,
                                                      std::uint32_t* words, V4l& anyUndecided) {
    V4d l;
    V4d r;
    V4l ul;
    V4l ur;
    scaledSines(left, l, ul);
    scaledSines(right, r, ur);
    anyUndecided |= ul | ur;
    const V4u word = (__builtin_convertvector(truncated(l), V4u) & 0xFFFFu) |
                     (__builtin_convertvector(truncated(r), V4u) << 16);
    __builtin_memcpy(words, &word, sizeof word);
}

constexpr int kChunk = 64;

struct Phases {
    double left[kChunk];
    double right[kChunk];
};

// The plain loop's samples for the phases of one chunk.
void exactChunk(const Phases& phases, std::int16_t* out, int frames) {
    for (int j = 0; j < frames; ++j) {
        out[2 * j] = tone::ToSample(phases.left[j]);
        out[2 * j + 1] = tone::ToSample(phases.right[j]);
    }
}

// The phases are a chain of roundings, each from the one before, so they are worked out
// one frame after another as in the plain loop; the sines of one chunk are computed while
// the phases of the next are, the two being independent work for the processor.
__attribute__((always_inline)) inline void fillBody(ChannelRun& left, ChannelRun& right,
                                                    std::int16_t* frames, int count) {
    alignas(32) Phases phases[2];
    alignas(32) std::uint32_t words[kChunk];
    double phaseL = left.phase;
    double phaseR = right.phase;
    const double stepL = left.step;
    const double stepR = right.step;
    const int chunks = count / kChunk;
    if (chunks > 0) {
        for (int j = 0; j < kChunk; ++j) {
            phases[0].left[j] = phaseL;
            phases[0].right[j] = phaseR;
            phaseL = tone::NextPhase(phaseL, stepL);
            phaseR = tone::NextPhase(phaseR, stepR);
        }
    }
    for (int c = 0; c < chunks; ++c) {
        const Phases& now = phases[c & 1];
        Phases& next = phases[(c + 1) & 1];
        const bool more = c + 1 < chunks;
        V4l anyUndecided = {0, 0, 0, 0};
        for (int i = 0; i < kChunk; i += 4) {
            if (more) {
                for (int j = i; j < i + 4; ++j) {
                    next.left[j] = phaseL;
                    next.right[j] = phaseR;
                    phaseL = tone::NextPhase(phaseL, stepL);
                    phaseR = tone::NextPhase(phaseR, stepR);
                }
            }
            fourFrames(now.left + i, now.right + i, words + i, anyUndecided);
        }
        std::int16_t* out = frames + 2 * kChunk * c;
        if ((anyUndecided[0] | anyUndecided[1] | anyUndecided[2] | anyUndecided[3]) == 0) {
            __builtin_memcpy(out, words, sizeof words);
        } else {
            exactChunk(now, out, kChunk);
        }
    }
    // A last part shorter than a chunk goes the plain way.
    const int rest = count - chunks * kChunk;
    Phases& tail = phases[0];
    for (int j = 0; j < rest; ++j) {
        tail.left[j] = phaseL;
        tail.right[j] = phaseR;
        phaseL = tone::NextPhase(phaseL, stepL);
        phaseR = tone::NextPhase(phaseR, stepR);
    }
    exactChunk(tail, frames + 2 * kChunk * chunks, rest);
    left.phase = phaseL;
    right.phase = phaseR;
}

void fillPlain(ChannelRun& left, ChannelRun& right, std::int16_t* frames, int count) {
    fillBody(left, right, frames, count);
}

__attribute__((target("avx2"))) void fillAvx2(ChannelRun& left, ChannelRun& right,
                                              std::int16_t* frames, int count) {
    fillBody(left, right, frames, count);
}

using Fill = void (*)(ChannelRun&, ChannelRun&, std::int16_t*, int);

Fill pickFill() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? fillAvx2 : fillPlain;
}

}  // namespace

double FastSine(double x) {
    using V = double __attribute__((vector_size(8)));
    const V v = {x};
    V sine;
    PolySine(v, sine);
    return sine[0];
}

void FillFrames(ChannelRun& left, ChannelRun& right, std::int16_t* frames, int count) {
    static const Fill fill = pickFill();
    fill(left, right, frames, count);
}

}  // namespace tone
