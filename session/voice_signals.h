// SPDX-License-Identifier: GPL-3.0-or-later
// The signals that spin and bell voices make themselves, sample by sample, for the synthesis
// to add as it adds a noise. Each is defined here exactly, in double arithmetic:
// - a spin voice's noise N is delayed in each ear: at its sample m, with φ its spin phase
//   and W its width in microseconds, τ = W × s (s the sine of φ by the polynomial of
//   engine/poly_sine.h, within 6.5e-12 of sin φ and the same on every machine), the left ear
//   hears N at m − dL and the right at m − dR, dL = (W + τ) × (rate × 1e-6) and
//   dR = (W − τ) × (rate × 1e-6) samples; between two samples of N it takes the straight
//   line N(i) + (N(i + 1) − N(i)) × f (i the whole part, f the fraction), and N before the
//   voice began is 0;
// - a bell at its sample n, t = n − strike samples after it was struck, is
//   2^(−t / (0.25 × rate)) × sin φ for 0 <= t < 4 × rate and 0 elsewhere, its phase φ
//   starting at 0 at the strike and stepping as a tone's.
#pragma once

#include <cstdint>
#include <vector>

#include "session/noise.h"

namespace session {

// What a spin's ears over a block need once its noise is made, so that they can be worked
// out apart from the run (on another thread, after the run has moved on): the noise around
// the block, as the run's ring held it.
struct SpinWindow {
    std::int64_t base = 0;   // the index of the block's first sample of noise
    std::int64_t first = 0;  // the index of noise[0]
    std::vector<double> noise;
    double perMicro = 0.0;  // samples a microsecond
};

// The ears of `count` samples (at most SpinRun::kMaxBlock) for spin phases `phase` and
// widths `width` (µs), from the window their block's noise was taken into. `left` may be
// `phase`. They go eight at a time: each array holds `count` rounded up to a multiple of 8,
// and the phases and widths past `count` are finite (their ears are made and left unread).
void SpinEars(const SpinWindow& window, const double* phase, const double* width, int count,
              double* left, double* right);

class SpinRun {
  public:
    // The longest delay: 2 × 10000 µs at 192000 Hz is 3840 samples. The ring holds those
    // before a block as well as the block's own (512 at most).
    static constexpr int kHistory = 8192;
    static constexpr int kMaxBlock = 512;

    SpinRun() = default;
    SpinRun(NoiseRun noise, int rate) : m_noise(noise), m_perMicro(rate * 1e-6) {}

    // The next `count` samples' ears (at most kMaxBlock), for spin phases `phase` and widths
    // `width` (µs). `left` may be `phase`.
    void Block(const double* phase, const double* width, int count, double* left, double* right);

    // Makes the next `count` samples' noise (at most kMaxBlock) and keeps in `window` what
    // their ears can reach with widths up to `widest` µs in size, for SpinEars.
    void Take(int count, double widest, SpinWindow& window);

    // As Block, without the ears.
    void Skip(std::int64_t count);

    void Reshape(const NoiseShape* shape) { m_noise.Reshape(shape); }  // as NoiseRun's

    // The memory its ring takes (none until its first sample).
    std::size_t RingBytes() const { return m_ring.capacity() * sizeof(double); }

  private:
    void makeNoise(int count);

    NoiseRun m_noise;
    double m_perMicro = 0.0;     // samples a microsecond
    std::vector<double> m_ring;  // N(m) at m mod kHistory; zeros where nothing was made yet
    std::int64_t m_count = 0;    // samples of N made so far
    SpinWindow m_window;         // Block's
};

class BellRing {
  public:
    BellRing() = default;
    BellRing(std::int64_t strike, double step, int rate)
        : m_strike(strike), m_step(step), m_halving(0.25 * rate), m_length(4LL * rate) {}

    // The bell at sample `n`; samples are asked for in order, one after another.
    double Next(std::int64_t n);

    // The bell at samples n0 to n0 + count − 1 (into `out` unless it is null): Next for
    // each, the silence before the strike and after the ring written at once.
    void Block(std::int64_t n0, int count, double* out);

  private:
    std::int64_t m_strike = 0;
    double m_step = 0.0;  // radians a sample
    double m_halving = 1.0;
    std::int64_t m_length = 0;
    double m_phase = 0.0;
};

}  // namespace session
