// The fast fill against the tone worked one frame at a time from its definition.
#include "engine/exact_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "tests/engine/reference_tone.h"

namespace {

using tone::ChannelRun;
using Samples = std::vector<std::int16_t>;

constexpr int kBlock = 16384;

// The phase step of the definition: (6.28318 × f) / 44100.
double stepFor(double hz) {
    return (6.28318 * hz) / 44100.0;
}

Samples fill(ChannelRun& l, ChannelRun& r, int frames) {
    Samples out(2 * frames, 0x5555);
    tone::FillFrames(l, r, out.data(), frames);
    return out;
}

// Fills `frames` frames both ways from the given phases and expects the same samples and
// the same phases afterwards.
void expectLikeThePlainLoop(double phaseL, double hzL, double phaseR, double hzR, int frames) {
    ChannelRun l{phaseL, stepFor(hzL)};
    ChannelRun r{phaseR, stepFor(hzR)};
    reference::Channel refL{phaseL};
    reference::Channel refR{phaseR};
    const Samples got = fill(l, r, frames);
    const Samples want = reference::Frames(refL, refR, hzL, hzR, frames);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i], want[i]) << "sample " << i << " at " << hzL << " / " << hzR << " Hz";
    }
    EXPECT_EQ(l.phase, refL.phase);
    EXPECT_EQ(r.phase, refR.phase);
}

TEST(FastSine, StaysWithinItsErrorBoundOverItsWholeRange) {
    constexpr int kPoints = 2000000;
    double worst = 0.0;
    for (int i = 0; i <= kPoints; ++i) {
        const double x = tone::kFastLow + (tone::kFastHigh - tone::kFastLow) * i / kPoints;
        worst = std::max(worst, std::fabs(tone::FastSine(x) - std::sin(x)));
    }
    // Where the range is folded, and at its ends.
    for (double edge : {std::numbers::pi / 2, std::numbers::pi, 3 * std::numbers::pi / 2,
                        2 * std::numbers::pi, tone::kFastLow, tone::kFastHigh, 0.0}) {
        double x = edge;
        for (int k = 0; k < 50; ++k) {
            x = std::nextafter(x, -10.0);
        }
        for (int k = 0; k < 100; ++k, x = std::nextafter(x, 10.0)) {
            if (x >= tone::kFastLow && x <= tone::kFastHigh) {
                worst = std::max(worst, std::fabs(tone::FastSine(x) - std::sin(x)));
            }
        }
    }
    EXPECT_LT(worst, tone::kFastSineError);
}

TEST(FillFrames, BlocksOfTheUsualTonesMatchThePlainLoop) {
    const double pairs[][2] = {{142.0, 150.0}, {150.0, 142.0}, {208.0, 220.0}, {98.0, 110.0},
                               {428.0, 440.0}, {150.0, 150.0}, {0.1, 880.0}};
    for (const auto& pair : pairs) {
        expectLikeThePlainLoop(0.0, pair[0], 0.0, pair[1], 3 * kBlock);
    }
}

TEST(FillFrames, ManyOtherFrequenciesMatchThePlainLoop) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> tenths(1, 100000);
    std::uniform_real_distribution<double> phase(0.0, 6.28318);
    for (int i = 0; i < 200; ++i) {
        expectLikeThePlainLoop(phase(random), tenths(random) / 10.0, phase(random),
                               tenths(random) / 10.0, 2048);
    }
}

// Phases whose sine lands on or next to a whole number of the sample scale: there the
// runtime library's value decides, not the polynomial's.
TEST(FillFrames, SamplesOnAWholeNumberFollowTheRuntimeSine) {
    constexpr double kPi = std::numbers::pi;
    // sin(π/6) comes out just below one half: 0.49999999999999994 × 32768 truncates to 16383.
    ASSERT_LT(std::sin(kPi / 6), 0.5);
    // sin(π/2) is exactly 1: +32768, kept at 32767. sin(3π/2) is exactly -1.
    ASSERT_EQ(std::sin(kPi / 2), 1.0);
    ASSERT_EQ(std::sin(3 * kPi / 2), -1.0);
    const struct {
        double phase;
        std::int16_t sample;
    } cases[] = {{kPi / 6, 16383}, {kPi / 2, 32767}, {3 * kPi / 2, -32768}, {kPi, 0}, {0.0, 0}};
    for (const auto& c : cases) {
        ChannelRun still{c.phase, 0.0};  // 0 Hz: the phase stays put
        ChannelRun other{0.0, stepFor(150.0)};
        const Samples got = fill(still, other, 200);
        for (int k = 0; k < 200; ++k) {
            ASSERT_EQ(got[2 * k], c.sample) << "phase " << c.phase << ", frame " << k;
        }
    }
}

TEST(FillFrames, PhasesOutsideOneTurnMatchThePlainLoop) {
    // A beat larger than the carrier gives a negative frequency: its phase runs downward and
    // is never wrapped.
    expectLikeThePlainLoop(0.0, -80.0, 0.0, 150.0, 3 * kBlock);
    // A phase far past the turn comes back by one turn per frame at most.
    expectLikeThePlainLoop(1000.0, 142.0, 7.9, 150.0, kBlock);
    // A step larger than a turn wraps once per frame and still grows.
    expectLikeThePlainLoop(0.0, 90000.0, 0.0, 150.0, kBlock);
}

TEST(FillFrames, AnyNumberOfFramesIsFilledAndTheNextCallCarriesOn) {
    ChannelRun l{0.0, stepFor(142.0)};
    ChannelRun r{0.0, stepFor(150.0)};
    reference::Channel refL;
    reference::Channel refR;
    for (int frames : {1, 3, 63, 64, 65, 1000, 0, 16384, 7}) {
        const Samples got = fill(l, r, frames);
        const Samples want = reference::Frames(refL, refR, 142.0, 150.0, frames);
        ASSERT_EQ(got, want) << frames << " frames";
        ASSERT_EQ(l.phase, refL.phase);
        ASSERT_EQ(r.phase, refR.phase);
    }
}

TEST(FillFrames, NothingPastTheLastFrameIsTouched) {
    ChannelRun l{0.0, stepFor(142.0)};
    ChannelRun r{0.0, stepFor(150.0)};
    Samples out(2 * 100 + 8, 0x5555);
    tone::FillFrames(l, r, out.data(), 100);
    for (std::size_t i = 200; i < out.size(); ++i) {
        EXPECT_EQ(out[i], 0x5555) << "sample " << i;
    }
}

}  // namespace
