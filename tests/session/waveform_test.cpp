// SPDX-License-Identifier: GPL-3.0-or-later
// The waves in place of a sine: each built-in's harmonics and where they stop, a drawn
// wave's interpolation and scaling, and the sums kept exact over many harmonics.
#include "session/waveform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using session::Waveform;

// The sine coefficient of harmonic k over one period sampled at 4096 points.
double sineCoefficient(const Waveform& w, long harmonics, int k) {
    constexpr int n = 4096;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double phase = 2 * M_PI * i / n;
        sum += w.Value(phase, harmonics) * std::sin(k * phase);
    }
    return 2.0 * sum / n;
}

TEST(Waveform, EachShapeHasItsSeriesUpToTheLastHarmonicBelowTheLimit) {
    const long h = Waveform::Harmonics(1000, 20000);  // 19 kHz is the last below 20 kHz
    ASSERT_EQ(h, 19);
    const struct {
        Waveform wave;
        double b[6];  // b_1 .. b_6, by hand from the series
    } cases[] = {
        {Waveform::Square(), {4 / M_PI, 0, 4 / (3 * M_PI), 0, 4 / (5 * M_PI), 0}},
        {Waveform::Triangle(),
         {8 / (M_PI * M_PI), 0, -8 / (9 * M_PI * M_PI), 0, 8 / (25 * M_PI * M_PI), 0}},
        {Waveform::Sawtooth(),
         {2 / M_PI, -1 / M_PI, 2 / (3 * M_PI), -2 / (4 * M_PI), 2 / (5 * M_PI), -2 / (6 * M_PI)}},
    };
    for (const auto& c : cases) {
        for (int k = 1; k <= 6; ++k) {
            EXPECT_NEAR(sineCoefficient(c.wave, h, k), c.b[k - 1], 1e-9) << k;
        }
        EXPECT_NE(sineCoefficient(c.wave, h, 19), 0.0);          // the last kept
        EXPECT_NEAR(sineCoefficient(c.wave, h, 21), 0.0, 1e-9);  // beyond the limit
    }
}

TEST(Waveform, HarmonicsStopBelowTheLimitInEitherDirection) {
    const struct {
        double f, limit;
        long harmonics;
    } cases[] = {{300, 20000, 66},  {-1000, 20000, 19}, {0, 20000, 0},
                 {25000, 20000, 0}, {7000, 8000, 1},    {4000, 8000, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Waveform::Harmonics(c.f, c.limit), c.harmonics) << c.f << " " << c.limit;
    }
}

TEST(Waveform, ADrawnWaveIsItsInterpolationScaledToPeakAtOneAndAFlatOneIsRefused) {
    std::string error;
    const auto sine = Waveform::Drawn({0, 1, 0, -1}, error);        // b_1 = 1: sin φ
    const auto pulse = Waveform::Drawn({1, 0, 0, 0, 0, 0}, error);  // a_1 = a_2 = 1/3, peak 2/3
    ASSERT_TRUE(sine && pulse);
    for (const double phase : {0.0, 0.4, 1.9, 3.3, 5.0}) {
        EXPECT_NEAR(sine->Value(phase, 100), std::sin(phase), 1e-10);
        EXPECT_NEAR(pulse->Value(phase, 100), (std::cos(phase) + std::cos(2 * phase)) / 2, 1e-10);
        EXPECT_NEAR(pulse->Value(phase, 1), std::cos(phase) / 2, 1e-10);  // band-limited
    }
    for (const std::vector<double>& flat : {std::vector<double>{2, 2, 2}, {1, -1, 1, -1}}) {
        EXPECT_FALSE(Waveform::Drawn(flat, error));
        EXPECT_EQ(error, "the samples are flat: a wave needs samples that differ");
    }
}

TEST(Waveform, ManyHarmonicsStayWithinATenthOfA16BitStepOfTheSeriesEvenNearPhaseZero) {
    for (const double phase : {1e-9, 0.001, 1.0, 3.14159, 6.0}) {
        double sum = 0.0;  // the sawtooth's series as written, term by term
        for (long k = 1; k <= 50000; ++k) {
            sum += (k % 2 == 1 ? 2.0 : -2.0) / (M_PI * k) * std::sin(k * phase);
        }
        EXPECT_NEAR(Waveform::Sawtooth().Value(phase, 50000), sum, 1e-6) << phase;
    }
}

}  // namespace
