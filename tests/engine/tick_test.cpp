// SPDX-License-Identifier: GPL-3.0-or-later
// The 10 ms tick (counter, exchange, reseed) and the resolution the periodic timer reserves.
#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/mm_timer.h"
#include "platform/testing/hooks.h"

using namespace plat;

namespace {

TEST(EngineTick, CountsToTwoThousandExchangesForTheSecondHalfAndReseedsItsOwnThread) {
    crt::srand(1);
    std::thread([] {
        CBeatEngine e;
        // After n ticks: the counter, the swap flag.
        const unsigned expectations[][3] = {{1, 1, 0},       {1000, 1000, 0}, {1001, 1001, 1},
                                            {2000, 2000, 1}, {2001, 1, 0},    {3000, 1000, 0},
                                            {3001, 1001, 1}, {4000, 2000, 1}};
        unsigned done = 0;
        for (const auto& x : expectations) {
            for (; done < x[0]; ++done) {
                e.OnTick();
            }
            EXPECT_EQ(e.m_nTick, x[1]) << x[0];
            EXPECT_EQ(static_cast<unsigned>(e.m_bSwap), x[2]) << x[0];
        }
        const auto before = static_cast<unsigned>(std::time(nullptr));
        e.OnTick();
        const int first = crt::rand();  // seed s gives (s × 214013 + 2531011) >> 16 & 0x7FFF
        const auto after = static_cast<unsigned>(std::time(nullptr));
        EXPECT_TRUE(first == static_cast<int>(((before * 214013u + 2531011u) >> 16) & 0x7FFF) ||
                    first == static_cast<int>(((after * 214013u + 2531011u) >> 16) & 0x7FFF));
    }).join();
    EXPECT_EQ(crt::rand(), 41);  // this thread's sequence from seed 1 is untouched
}

TEST(PeriodicTimer, TheResolutionIsClampedToWhatThePlatformSupportsAndGivenBack) {
    // Smallest and largest supported, requested, reserved.
    const UINT cases[][4] = {{1, 1000, 1, 1}, {5, 1000, 1, 5}, {2, 8, 20, 8}, {2, 8, 6, 6}};
    for (const auto& c : cases) {
        plat::testing::SetTimerCaps(TIMECAPS{c[0], c[1]});
        {
            CPeriodicTimer t(c[2]);
            EXPECT_EQ(t.m_nPeriod, c[3]) << c[2];
            EXPECT_EQ(plat::testing::ReservedPeriods(c[3]), 1) << c[2];
            EXPECT_FALSE(t.Stop());  // never started: nothing to kill, the id stays 0
        }
        EXPECT_EQ(plat::testing::ReservedPeriods(c[3]), 0) << c[2];
    }
    // A failed capability query reserves nothing, and gives back nothing of someone else's.
    ASSERT_EQ(timeBeginPeriod(3), TIMERR_NOERROR);
    plat::testing::SetTimerCaps(std::nullopt);
    {
        CPeriodicTimer t(3);
        EXPECT_EQ(t.m_nPeriod, 0u);
    }
    EXPECT_EQ(plat::testing::ReservedPeriods(3), 1);
    timeEndPeriod(3);
    plat::testing::ResetTimerCaps();
}

}  // namespace
