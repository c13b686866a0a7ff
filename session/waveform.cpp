// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/waveform.h"

#include <algorithm>
#include <cmath>

namespace session {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPeakPoints = 4096;  // where a drawn wave's peak is looked for

}  // namespace

std::optional<Waveform> Waveform::Drawn(const std::vector<double>& samples, std::string& error) {
    const std::size_t m = samples.size();
    Waveform wave(Shape::Drawn);
    // Harmonics 1 <= k < M/2: the ones the M samples determine without ambiguity.
    for (std::size_t k = 1; 2 * k < m; ++k) {
        double a = 0.0;
        double b = 0.0;
        for (std::size_t j = 0; j < m; ++j) {
            const double angle =
                2.0 * kPi * static_cast<double>(j * k % m) / static_cast<double>(m);
            a += samples[j] * std::cos(angle);
            b += samples[j] * std::sin(angle);
        }
        wave.m_cos.push_back(2.0 * a / static_cast<double>(m));
        wave.m_sin.push_back(2.0 * b / static_cast<double>(m));
    }
    const long all = static_cast<long>(wave.m_cos.size());
    double peak = 0.0;
    for (int i = 0; i < kPeakPoints; ++i) {
        peak = std::max(peak, std::fabs(wave.Value(2.0 * kPi * i / kPeakPoints, all)));
    }
    // Equal samples have no harmonics; a wave of only the Nyquist harmonic (M even,
    // alternating samples) has none this keeps either.
    if (peak < 1e-12) {
        error = "the samples are flat: a wave needs samples that differ";
        return std::nullopt;
    }
    for (std::size_t k = 0; k < wave.m_cos.size(); ++k) {
        wave.m_cos[k] /= peak;
        wave.m_sin[k] /= peak;
    }
    return wave;
}

double Waveform::Bound() const {
    if (m_shape != Shape::Drawn) {
        return 2.0;  // the square's and the sawtooth's partial sums stay below 1.18 (Gibbs)
    }
    double sum = 0.0;
    for (std::size_t k = 0; k < m_cos.size(); ++k) {
        sum += std::fabs(m_cos[k]) + std::fabs(m_sin[k]);
    }
    return sum;
}

long Waveform::Harmonics(double frequency, double limit) {
    const double f = std::fabs(frequency);
    if (f == 0.0 || f >= limit) {
        return 0;
    }
    // The largest k with k·f < limit.
    const double k = std::ceil(limit / f) - 1.0;
    return k > 1e9 ? 1000000000L : static_cast<long>(k);
}

namespace {

// b_k of a built-in wave; k is odd for the square and the triangle.
double builtIn(Waveform::Shape shape, long k) {
    const double kk = static_cast<double>(k);
    switch (shape) {
        case Waveform::Shape::Square:
            return 4.0 / (kPi * kk);
        case Waveform::Shape::Triangle:
            return (k % 4 == 1 ? 8.0 : -8.0) / (kPi * kPi * kk * kk);
        default:
            return (k % 2 == 1 ? 2.0 : -2.0) / (kPi * kk);
    }
}

// The built-in coefficients of the first harmonics the series steps through, computed
// once: the loop below then multiplies where it would divide.
constexpr long kTabled = 1 << 15;

const std::vector<double>& table(Waveform::Shape shape) {
    static const auto make = [](Waveform::Shape s, long step) {
        std::vector<double> t;
        for (long k = 1; k <= kTabled; k += step) {
            t.push_back(builtIn(s, k));
        }
        return t;
    };
    static const std::vector<double> square = make(Waveform::Shape::Square, 2);
    static const std::vector<double> triangle = make(Waveform::Shape::Triangle, 2);
    static const std::vector<double> sawtooth = make(Waveform::Shape::Sawtooth, 1);
    return shape == Waveform::Shape::Square     ? square
           : shape == Waveform::Shape::Triangle ? triangle
                                                : sawtooth;
}

}  // namespace

double Waveform::Value(double phase, long harmonics) const {
    if (m_shape == Shape::Drawn) {
        harmonics = std::min<long>(harmonics, static_cast<long>(m_cos.size()));
    }
    if (harmonics <= 0) {
        return 0.0;
    }
    // sin kφ and cos kφ by the Chebyshev recurrence x(k+d) = 2cos(dφ)·x(k) − x(k−d), d the
    // step between the harmonics a wave has: a multiply and a subtract each, the error
    // growing about linearly with k, so that even 10^5 harmonics stay some 1e-10 from the
    // sum of library sines, far inside a step of 24-bit output.
    const double s1 = std::sin(phase);
    double sum = 0.0;
    if (m_shape == Shape::Drawn) {
        const double twoCos = 2.0 * std::cos(phase);
        double sPrev = 0.0, s = s1, cPrev = 1.0, c = std::cos(phase);
        for (long k = 0; k < harmonics; ++k) {
            sum += m_cos[static_cast<std::size_t>(k)] * c + m_sin[static_cast<std::size_t>(k)] * s;
            const double sNext = twoCos * s - sPrev;
            const double cNext = twoCos * c - cPrev;
            sPrev = s, s = sNext, cPrev = c, c = cNext;
        }
        return sum;
    }
    const long step = m_shape == Shape::Sawtooth ? 1 : 2;
    const double twoCos = 2.0 * std::cos(static_cast<double>(step) * phase);
    const std::vector<double>& coef = table(m_shape);
    double s = s1;
    double sPrev = step == 1 ? 0.0 : -s1;  // sin((1 − step)φ)
    long i = 0;
    for (long k = 1; k <= harmonics; k += step, ++i) {
        sum += (k <= kTabled ? coef[static_cast<std::size_t>(i)] : builtIn(m_shape, k)) * s;
        const double sNext = twoCos * s - sPrev;
        sPrev = s;
        s = sNext;
    }
    return sum;
}

}  // namespace session
