// SPDX-License-Identifier: GPL-3.0-or-later
// The exact fast fill against the tone's plain per-frame arithmetic (engine/tone.h, whose
// samples the synthesis tests check by hand): the same samples and the same phases.
#include "engine/exact_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "engine/poly_sine.h"
#include "engine/tone.h"

namespace {

void expectLikeThePlainLoop(tone::ChannelRun l, tone::ChannelRun r, int frames) {
    tone::ChannelRun plain[] = {l, r};
    std::vector<std::int16_t> got(2 * frames + 8, 0x5555);
    tone::FillFrames(l, r, got.data(), frames);
    for (int i = 0; i < 2 * frames; ++i) {
        tone::ChannelRun& p = plain[i % 2];
        ASSERT_EQ(got[i], tone::ToSample(p.phase)) << "sample " << i << ", step " << p.step;
        p.phase = tone::NextPhase(p.phase, p.step);
    }
    EXPECT_EQ(l.phase, plain[0].phase);
    EXPECT_EQ(r.phase, plain[1].phase);
    EXPECT_EQ(got.back(), 0x5555);  // nothing written past the last frame
}

TEST(FastSine, StaysWithinItsErrorBoundOverItsWholeRange) {
    double worst = 0.0;
    for (int i = 0; i <= 2000000; ++i) {
        const double x = tone::kFastLow + (tone::kFastHigh - tone::kFastLow) * i / 2000000;
        worst = std::max(worst, std::fabs(tone::FastSine(x) - std::sin(x)));
    }
    EXPECT_LT(worst, tone::kPolySineError);
}

TEST(FillFrames, MatchesThePlainLoopForAnyToneStartAndLength) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> tenths(1, 100000);
    std::uniform_real_distribution<double> phase(0.0, 6.28318);
    for (int i = 0; i < 200; ++i) {
        expectLikeThePlainLoop({phase(random), tone::PhaseStep(tenths(random))},
                               {phase(random), tone::PhaseStep(tenths(random))}, 1000 + i);
    }
    constexpr double kPi = std::numbers::pi;
    const double cases[][5] = {
        {0, 1420, 0, 1500, 3 * 16384},
        {0, -800, 0, 1500, 16384},      // runs down, never wrapped
        {1000, 1420, 7.9, 1500, 4096},  // far past the turn
        {0, 900000, 0, 1, 4096},        // a step over a turn
        {0, 1420, 0, 1500, 1},
        {0, 1420, 0, 1500, 65},  // a chunk and one frame
        // Sines on or next to a whole number of the scale: the runtime library decides.
        {kPi / 6, 0, 0, 1500, 200},  // 0.49999999999999994: 16383, not 16384
        {kPi / 2, 0, 3 * kPi / 2, 0, 200},
        {kPi, 0, 0, 1500, 200}};
    for (const auto& c : cases) {  // left phase and tenths of a hertz, the same right, frames
        expectLikeThePlainLoop({c[0], tone::PhaseStep(static_cast<std::int32_t>(c[1]))},
                               {c[2], tone::PhaseStep(static_cast<std::int32_t>(c[3]))},
                               static_cast<int>(c[4]));
    }
}

}  // namespace
