// SPDX-License-Identifier: GPL-3.0-or-later
// The beat tone's samples, worked by hand from sin(phase) × 32768 truncated, with the
// phase advancing by 6.28318 × f / 44100 a frame and wrapped only strictly past 6.28318.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/beat_engine.h"

namespace {

using Samples = std::vector<std::int16_t>;

Samples fill(CBeatEngine& e) {
    Samples b(2 * CBeatEngine::kBlockFrames, 0x5555);
    e.FillBlock(b.data());
    return b;
}

TEST(SetTone, KeepsCarriersInRangeAndTakesTheBeatAsItComes) {
    CBeatEngine e;
    EXPECT_EQ(e.m_nCarrier, 148);  // before any tone is set
    const int cases[][4] = {{900, 80, 1500, 1420},   {999, 80, 1500, 1420}, {1000, 0, 1000, 1000},
                            {8800, 120, 8800, 8680}, {8801, 0, 1500, 1500}, {-2200, 80, 1500, 1420},
                            {2200, 3000, 2200, -800}};
    for (const auto& c : cases) {  // carrier, beat, then the carrier and lower tone kept
        e.SetTone(c[0], c[1]);
        EXPECT_EQ(e.m_nCarrier, c[2]) << c[0];
        EXPECT_EQ(e.m_nLowFreq, c[3]) << c[0];
    }
}

TEST(FillBlock, TheLowerToneIsOnTheLeftUnlessSwappedAndThePhasesRunOn) {
    const Samples normal = {0, 0, 662, 700, 1325, 1400, 1987, 2099};  // 142 Hz left, 150 right
    const Samples swapped = {0, 0, 700, 662, 1400, 1325, 2099, 1987};
    for (int swap : {0, 1}) {
        CBeatEngine e;
        e.SetTone(1500, 80);
        e.m_bSwap = swap;
        const auto b = fill(e);
        EXPECT_EQ(Samples(b.begin(), b.begin() + 8), swap ? swapped : normal);
        // 16384 frames are 16384 × f / 44100 turns of 6.28318, whole turns wrapped away.
        const double turns = 16384 * (swap ? 150.0 : 142.0) / 44100;
        EXPECT_NEAR(e.m_dPhaseL, (turns - std::floor(turns)) * 6.28318, 1e-9);
        e.SetTone(4400, 120);  // the new tone goes on from there
        const double left = e.m_dPhaseL;
        const double step = 6.28318 * (swap ? 440 : 428) / 44100;
        EXPECT_EQ(fill(e)[2], static_cast<std::int16_t>(std::sin(left + step) * 32768));
    }
}

TEST(FillBlock, TheWrapAndTheLargestSample) {
    constexpr double kPi = std::numbers::pi;
    const double pastTurn = std::nextafter(6.28318, 7.0);
    ASSERT_EQ(std::sin(kPi / 2), 1.0);
    const double cases[][3] = {
        {6.28318, 6.28318, 0},                // on the turn: not wrapped
        {pastTurn, pastTurn - 6.28318, 0},    // just past it: wrapped once
        {kPi / 2, kPi / 2, 32767},            // sin = 1.0 exactly gives 32767, not -32768
        {3 * kPi / 2, 3 * kPi / 2, -32768}};  // sin = -1.0 exactly
    for (const auto& c : cases) {  // the left phase, its value after the block, the sample
        CBeatEngine e;
        e.SetTone(1000, 1000);  // the left channel plays 0 Hz: its phase stays put
        e.m_dPhaseL = c[0];
        EXPECT_EQ(fill(e)[0], c[2]) << c[0];
        EXPECT_EQ(e.m_dPhaseL, c[1]) << c[0];
    }
}

}  // namespace
