#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/beat_engine.h"
#include "tests/engine/reference_tone.h"

namespace {

using Block = std::vector<std::int16_t>;

Block fill(CBeatEngine& e) {
    Block b(2 * CBeatEngine::kBlockFrames, 0x5555);
    e.FillBlock(b.data());
    return b;
}

TEST(SetTone, KeepsCarriersInRangeAndFallsBackTo150HzOutside) {
    CBeatEngine e;
    EXPECT_EQ(e.m_nCarrier, 148);  // before any tone is set
    e.SetTone(900, 80);
    EXPECT_EQ(e.m_nCarrier, 1500);
    EXPECT_EQ(e.m_nLowFreq, 1420);
    e.SetTone(8800, 120);
    EXPECT_EQ(e.m_nCarrier, 8800);
    EXPECT_EQ(e.m_nLowFreq, 8680);
    e.SetTone(8801, 0);
    EXPECT_EQ(e.m_nCarrier, 1500);
    EXPECT_EQ(e.m_nLowFreq, 1500);
    e.SetTone(1000, 0);
    EXPECT_EQ(e.m_nCarrier, 1000);
    EXPECT_EQ(e.m_nLowFreq, 1000);
    e.SetTone(999, 80);
    EXPECT_EQ(e.m_nCarrier, 1500);
    e.SetTone(-2200, 80);  // the comparison is signed
    EXPECT_EQ(e.m_nCarrier, 1500);
    e.SetTone(2200, 3000);  // the beat is taken as it comes
    EXPECT_EQ(e.m_nLowFreq, -800);
}

TEST(FillBlock, AFreshEngineStartsAtZeroAndRisesAt142And150Hz) {
    CBeatEngine e;
    e.SetTone(1500, 80);
    const Block b = fill(e);
    // trunc(sin(k * 6.28318 * f / 44100) * 32768) for k = 0..3, f = 142 and 150.
    const std::int16_t expected[] = {0, 0, 662, 700, 1325, 1400, 1987, 2099};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(b[i], expected[i]) << "sample " << i;
    }
}

TEST(FillBlock, TheSwapFlagPutsTheCarrierOnTheLeft) {
    CBeatEngine e;
    e.SetTone(1500, 80);
    e.m_bSwap = 1;
    const Block b = fill(e);
    EXPECT_EQ(b[2], 700);
    EXPECT_EQ(b[3], 662);
}

TEST(FillBlock, ThreeBlocksFollowTheToneFrameByFrame) {
    CBeatEngine e;
    e.SetTone(2200, 120);
    reference::Channel l, r;
    for (int n = 0; n < 3; ++n) {
        e.m_bSwap = n == 1;
        const Block got = fill(e);
        const double lo = 208.0, hi = 220.0;
        const Block want =
            reference::Frames(l, r, n == 1 ? hi : lo, n == 1 ? lo : hi, CBeatEngine::kBlockFrames);
        ASSERT_EQ(got, want) << "block " << n;
    }
    EXPECT_DOUBLE_EQ(e.m_dPhaseL, l.phase);
    EXPECT_DOUBLE_EQ(e.m_dPhaseR, r.phase);
}

TEST(FillBlock, AToneChangeBetweenBlocksContinuesThePhase) {
    CBeatEngine e;
    e.SetTone(1500, 80);
    reference::Channel l, r;
    reference::Frames(l, r, 142.0, 150.0, CBeatEngine::kBlockFrames);
    fill(e);
    e.SetTone(4400, 120);
    const Block got = fill(e);
    const Block want = reference::Frames(l, r, 428.0, 440.0, CBeatEngine::kBlockFrames);
    EXPECT_EQ(got, want);
    // The first sample of the new block is where the old one left off, not a restart.
    EXPECT_NE(got[0], 0);
}

TEST(FillBlock, APhaseExactlyOnTheTurnIsNotWrapped) {
    CBeatEngine e;
    e.SetTone(1000, 1000);  // left channel 0 Hz: its phase never moves
    e.m_dPhaseL = 6.28318;
    fill(e);
    EXPECT_EQ(e.m_dPhaseL, 6.28318);
}

TEST(FillBlock, APhaseJustPastTheTurnIsWrappedOnce) {
    CBeatEngine e;
    e.SetTone(1000, 1000);
    e.m_dPhaseL = std::nextafter(6.28318, 7.0);
    const Block b = fill(e);
    EXPECT_EQ(e.m_dPhaseL, std::nextafter(6.28318, 7.0) - 6.28318);
    // trunc(sin(6.28318+) * 32768) = trunc(-0.1739) = 0
    EXPECT_EQ(b[0], 0);
}

TEST(FillBlock, ASineOfExactlyOneIsStoredAsTheLargestSample) {
    CBeatEngine e;
    e.SetTone(1000, 1000);                   // the left phase stays where it is put
    e.m_dPhaseL = std::numbers::pi / 2;      // sin = 1.0 exactly
    e.m_dPhaseR = 3 * std::numbers::pi / 2;  // sin = -1.0 exactly
    ASSERT_EQ(std::sin(e.m_dPhaseL), 1.0);
    ASSERT_EQ(std::sin(e.m_dPhaseR), -1.0);
    const Block b = fill(e);
    EXPECT_EQ(b[0], 32767);  // not wrapped round to -32768
    // The right channel runs at 100 Hz; its first sample is the exact -1.0.
    EXPECT_EQ(b[1], -32768);
}

TEST(FillBlock, WithNoBeatBothEarsHearTheSameWhicheverWayRound) {
    CBeatEngine e;
    e.SetTone(2200, 0);
    const Block a = fill(e);
    for (int k = 0; k < CBeatEngine::kBlockFrames; ++k) {
        ASSERT_EQ(a[2 * k], a[2 * k + 1]);
    }
}

}  // namespace
