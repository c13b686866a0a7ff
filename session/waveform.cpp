// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/waveform.h"

#include <algorithm>
#include <cmath>

#include "engine/poly_sine.h"
#include "session/vector_lanes.h"

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

// sin kφ and cos kφ by rotation: (cos, sin) of the next harmonic is this one's turned by
// dφ, d the step between the harmonics a wave has. A rotation keeps its errors to about k
// units in the last place whatever φ is (a three-term recurrence would multiply them by
// 1/sin φ near 0 and π). sin φ and cos φ = sin(φ + π/2) come from the polynomial of
// engine/poly_sine.h, within 6.5e-12 for 0 <= φ <= 2π, so that even 50000 harmonics stay
// within 1e-6 of the series, a tenth of a 16-bit step; and one frame, or a vector of
// frames with each lane doing the same operations, gives the same value.
template <typename V, typename Count>
__attribute__((always_inline)) inline void Waveform::series(const V& phase, const Count& harmonics,
                                                            long most, V& sum) const {
    V s1;
    V c1;
    tone::PolySine(phase, s1);
    tone::PolySine(phase + tone::kHalfPi, c1);
    sum = V{} + 0.0;
    V s = s1;
    V c = c1;
    if (m_shape == Shape::Drawn) {
        for (long k = 0; k < most; ++k) {
            const V term =
                m_cos[static_cast<std::size_t>(k)] * c + m_sin[static_cast<std::size_t>(k)] * s;
            sum = k < harmonics ? sum + term : sum;
            const V cNext = c * c1 - s * s1;
            s = s * c1 + c * s1;
            c = cNext;
        }
        return;
    }
    const long step = m_shape == Shape::Sawtooth ? 1 : 2;
    const V cd = step == 1 ? c1 : 1.0 - 2.0 * (s1 * s1);  // cos dφ
    const V sd = step == 1 ? s1 : 2.0 * (s1 * c1);        // sin dφ
    const std::vector<double>& coef = table(m_shape);
    long i = 0;
    for (long k = 1; k <= most; k += step, ++i) {
        const double b = k <= kTabled ? coef[static_cast<std::size_t>(i)] : builtIn(m_shape, k);
        sum = k <= harmonics ? sum + b * s : sum;
        const V cNext = c * cd - s * sd;
        s = s * cd + c * sd;
        c = cNext;
    }
}

double Waveform::Value(double phase, long harmonics) const {
    if (m_shape == Shape::Drawn) {
        harmonics = std::min<long>(harmonics, static_cast<long>(m_cos.size()));
    }
    if (harmonics <= 0) {
        return 0.0;
    }
    double sum;
    series(phase, harmonics, harmonics, sum);
    return sum;
}

template <typename V, typename Count>
__attribute__((always_inline)) inline void Waveform::lanes(const double* phase,
                                                           const long* harmonics, int count,
                                                           double* out) const {
    constexpr int L = sizeof(V) / sizeof(double);
    const long have = m_shape == Shape::Drawn ? static_cast<long>(m_cos.size()) : -1;
    for (int i = 0; i < count; i += L) {
        V p{};
        Count h{};
        long most = 0;
        for (int l = 0; l < L && i + l < count; ++l) {
            p[l] = phase[i + l];
            h[l] = have >= 0 ? std::min(harmonics[i + l], have) : harmonics[i + l];
            most = std::max<long>(most, h[l]);
        }
        V sum;
        series(p, h, most, sum);
        for (int l = 0; l < L && i + l < count; ++l) {
            out[i + l] = sum[l];
        }
    }
}

void Waveform::valuesBaseline(const double* phase, const long* harmonics, int count,
                              double* out) const {
    lanes<V4d, V4l>(phase, harmonics, count, out);
}

__attribute__((target("avx2"))) void Waveform::valuesAvx2(const double* phase,
                                                          const long* harmonics, int count,
                                                          double* out) const {
    lanes<V4d, V4l>(phase, harmonics, count, out);
}

__attribute__((target("avx512f,avx512dq"))) void Waveform::valuesAvx512(const double* phase,
                                                                        const long* harmonics,
                                                                        int count,
                                                                        double* out) const {
    lanes<V8d, V8l>(phase, harmonics, count, out);
}

void Waveform::Values(const double* phase, const long* harmonics, int count, double* out) const {
    static const auto pick = [] {
        switch (WidestWidth()) {
            case Width::Avx512:
                return &Waveform::valuesAvx512;
            case Width::Avx2:
                return &Waveform::valuesAvx2;
            default:
                return &Waveform::valuesBaseline;
        }
    }();
    (this->*pick)(phase, harmonics, count, out);
}

}  // namespace session
