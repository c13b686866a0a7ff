// SPDX-License-Identifier: GPL-3.0-or-later
// Seeded noise of three colours. The same key gives the same values on every run and every
// machine: the generator is integer arithmetic, the filter plain double arithmetic, and its
// coefficients are worked out without the runtime library's transcendental functions.
#pragma once

#include <cstdint>

#include "session/session.h"

namespace session {

constexpr int kMaxNoiseSections = 12;

// How white noise is coloured at one sample rate: a sum of one-pole low-pass sections fed
// with the same white value x,
//   s_k = pole_k × s_k + gain_k × x,    out = direct × x + (the sum of the s_k)
// held within [-1, 1], with the gains scaled to the level session files were written for:
// white is x itself, uniform within ±1 (RMS 0.577); pink has an RMS of 0.154 and brown
// of 0.0744, so that the hold is all but never reached (6.5 and 13 times the RMS). A voice
// at amplitude A then never passes A/100 of full scale, and a set whose amplitudes add up
// to 100 never clips. The
// sections go in groups of four (unused ones with pole and gain 0); the sum adds the
// groups lane by lane, g = (s_0..3 + s_4..7) + s_8..11 as far as there are groups, then
// (g_0 + g_1) + (g_2 + g_3).
struct NoiseShape {
    int sections = 0;
    double direct = 0.0;
    alignas(32) double pole[kMaxNoiseSections] = {};
    alignas(32) double gain[kMaxNoiseSections] = {};
    double peak = 0.0;  // no output value is larger in magnitude than this (at most 1)
};

// The shape of White, Pink or Brown noise at `rate`.
NoiseShape DesignNoise(VoiceKind colour, int rate);

// The white value of a noise voice at its sample `index`: uniform on [-1, 1), from a
// counter-based generator, so that any index can be had without the ones before it.
double WhiteValue(std::uint64_t key, std::uint64_t index);

// The generator key of the noise voice with timeline track `track` under `seed`.
std::uint64_t NoiseKey(std::uint64_t seed, int track);

// One noise voice: its generator position and its filter's state.
class NoiseRun {
  public:
    NoiseRun() = default;
    NoiseRun(const NoiseShape* shape, std::uint64_t key) : m_shape(shape), m_key(key) {}

    double Next();
    void Fill(double* out, int count);
    // As `count` calls of Next, without keeping the values.
    void Skip(std::int64_t count);

    // The same run over another copy of its shape: a synthesis takes over the state of
    // another one, whose shapes it does not share.
    void Reshape(const NoiseShape* shape) { m_shape = shape; }

  private:
    const NoiseShape* m_shape = nullptr;
    std::uint64_t m_key = 0;
    std::uint64_t m_index = 0;
    alignas(32) double m_state[kMaxNoiseSections] = {};
};

}  // namespace session
