// SPDX-License-Identifier: GPL-3.0-or-later
// The waves a tone voice can have in place of a sine: square, triangle and sawtooth as
// their Fourier series, and a wave drawn by a `waveNN:` line as the trigonometric
// interpolation of its samples. Every one is band-limited at each sample: it keeps only
// the harmonics k whose frequency k·|f| is below the limit (half the sample rate and
// 20 kHz, whichever is lower), so no harmonic folds back as an alias.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace session {

constexpr double kHarmonicCeiling = 20000.0;  // Hz: no harmonic above this is heard

class Waveform {
  public:
    enum class Shape { Square, Triangle, Sawtooth, Drawn };

    static Waveform Square() { return Waveform(Shape::Square); }
    static Waveform Triangle() { return Waveform(Shape::Triangle); }
    static Waveform Sawtooth() { return Waveform(Shape::Sawtooth); }

    // One period sampled at φ = 2πj/M (M ≥ 2), as a `waveNN:` line gives it: its
    // interpolation without the mean, scaled to peak at 1 over 4096 points of the period.
    // Nothing, with `error` set, when the samples are all equal (there is no wave).
    static std::optional<Waveform> Drawn(const std::vector<double>& samples, std::string& error);

    // The highest harmonic a frequency keeps under `limit` (both in Hz): k·|f| < limit.
    static long Harmonics(double frequency, double limit);

    // w(φ) with its first `harmonics` harmonics (fewer when the wave has fewer), for
    // 0 <= φ <= 2π.
    double Value(double phase, long harmonics) const;

    // The same for `count` phases at once, each with its own harmonics: each value is the
    // one Value gives, computed several lanes at a time.
    void Values(const double* phase, const long* harmonics, int count, double* out) const;

    // No partial sum of the wave is larger in size than this: the size of the first
    // harmonics' sum bounds any of its partial sums in a synthesis guard.
    double Bound() const;

    Shape shape() const { return m_shape; }

  private:
    explicit Waveform(Shape shape) : m_shape(shape) {}

    template <typename V, typename Count>
    void series(const V& phase, const Count& harmonics, long most, V& sum) const;
    template <typename V, typename Count>
    void lanes(const double* phase, const long* harmonics, int count, double* out) const;
    void valuesBaseline(const double* phase, const long* harmonics, int count, double* out) const;
    void valuesAvx2(const double* phase, const long* harmonics, int count, double* out) const;
    void valuesAvx512(const double* phase, const long* harmonics, int count, double* out) const;

    Shape m_shape;
    std::vector<double> m_cos;  // Drawn: a_k for k = 1, 2, ..., scaled
    std::vector<double> m_sin;  // Drawn: b_k
};

}  // namespace session
