#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/beat_engine.h"
#include "engine/periodic_timer.h"
#include "platform/crt.h"
#include "platform/mm_timer.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/pump.h"

using namespace plat;
using std::chrono::milliseconds;

namespace {

TEST(EngineTick, CountsOneToTwoThousandAndExchangesForTheSecondHalf) {
    CBeatEngine e;
    struct Expect {
        int ticks;
        std::uint32_t counter;
        int swap;
    };
    const Expect expectations[] = {{1, 1, 0},       {999, 999, 0},   {1000, 1000, 0},
                                   {1001, 1001, 1}, {2000, 2000, 1}, {2001, 1, 0},
                                   {3000, 1000, 0}, {3001, 1001, 1}, {4000, 2000, 1}};
    int done = 0;
    for (const Expect& x : expectations) {
        while (done < x.ticks) {
            e.OnTick();
            ++done;
        }
        EXPECT_EQ(e.m_nTick, x.counter) << "after tick " << x.ticks;
        EXPECT_EQ(e.m_bSwap, x.swap) << "after tick " << x.ticks;
    }
}

TEST(EngineTick, ReseedsTheTimerThreadsGeneratorFromTheClockSecond) {
    CBeatEngine e;
    // After a tick this thread's sequence starts again from the current second.
    const auto now = static_cast<unsigned>(std::time(nullptr));
    e.OnTick();
    const int first = crt::rand();
    const auto after = static_cast<unsigned>(std::time(nullptr));
    // Worked from the generator's formula for either second the tick may have seen.
    auto firstFor = [](unsigned seed) {
        return static_cast<int>(((seed * 214013u + 2531011u) >> 16) & 0x7FFF);
    };
    EXPECT_TRUE(first == firstFor(now) || first == firstFor(after));
}

class TimerCaps : public ::testing::Test {
  protected:
    void TearDown() override { plat::testing::ResetTimerCaps(); }
};

TEST_F(TimerCaps, TheRequestedResolutionIsClampedToWhatThePlatformSupports) {
    plat::testing::SetTimerCaps(TIMECAPS{1, 1000});
    {
        CPeriodicTimer t(1);
        EXPECT_EQ(t.m_nPeriod, 1u);
        EXPECT_EQ(t.m_nEventId, 0u);
    }
    plat::testing::SetTimerCaps(TIMECAPS{5, 1000});
    {
        CPeriodicTimer t(1);
        EXPECT_EQ(t.m_nPeriod, 5u);
        EXPECT_EQ(plat::testing::ReservedPeriods(5), 1);
    }
    EXPECT_EQ(plat::testing::ReservedPeriods(5), 0);  // given back by the destructor
    plat::testing::SetTimerCaps(TIMECAPS{2, 8});
    {
        CPeriodicTimer high(20);
        CPeriodicTimer atMax(8);
        CPeriodicTimer inside(6);
        EXPECT_EQ(high.m_nPeriod, 8u);
        EXPECT_EQ(atMax.m_nPeriod, 8u);
        EXPECT_EQ(inside.m_nPeriod, 6u);
    }
}

TEST_F(TimerCaps, AFailedCapabilityQueryReservesAndGivesBackNothing) {
    ASSERT_EQ(timeBeginPeriod(3), TIMERR_NOERROR);  // someone else's reservation
    plat::testing::SetTimerCaps(std::nullopt);
    {
        CPeriodicTimer t(3);
        EXPECT_EQ(t.m_nPeriod, 0u);
        EXPECT_EQ(plat::testing::ReservedPeriods(3), 1);
    }
    EXPECT_EQ(plat::testing::ReservedPeriods(3), 1);
    timeEndPeriod(3);
}

TEST(PeriodicTimer, StopOnATimerNeverStartedFailsAndKeepsIdZero) {
    CPeriodicTimer t(1);
    EXPECT_FALSE(t.Stop());
    EXPECT_EQ(t.m_nEventId, 0u);
}

class Counter : public CPeriodicTimer {
  public:
    Counter() : CPeriodicTimer(1) {}
    ~Counter() override { Stop(); }
    void OnTick() override { ticks.fetch_add(1); }
    std::atomic<int> ticks{0};
};

TEST(PeriodicTimer, PeriodicAndOneShotCallTheOverrideOnTheTimerThread) {
    Counter periodic;
    ASSERT_TRUE(periodic.Start(5, false));
    EXPECT_NE(periodic.m_nEventId, 0u);
    Counter once;
    ASSERT_TRUE(once.Start(5, true));
    std::this_thread::sleep_for(milliseconds(120));
    EXPECT_TRUE(periodic.Stop());
    EXPECT_EQ(periodic.m_nEventId, 0u);
    EXPECT_GE(periodic.ticks.load(), 10);
    EXPECT_EQ(once.ticks.load(), 1);
    const int stopped = periodic.ticks.load();
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(periodic.ticks.load(), stopped);
}

TEST(EngineTick, APlayingEngineTicksEveryTenMilliseconds) {
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Immediate);
    CBeatEngine e;
    e.SetTone(1500, 80);
    e.OpenOutput();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(milliseconds(500));
    const std::uint32_t ticks = e.m_nTick;
    const auto ms =
        std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count();
    e.StopOutput();
    EXPECT_NEAR(static_cast<double>(ticks), ms / 10.0, 10.0);
    VirtualWaveDevice::Uninstall();
}

TEST(EngineTick, EnginesDestroyedWhileTickingNeverTickIntoTheirRemains) {
    // Run under the sanitizers: a tick that outlived the engine's own destructor would
    // be a use of a half-destroyed object.
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Immediate);
    for (int i = 0; i < 30; ++i) {
        auto e = std::make_unique<CBeatEngine>();
        e->SetTone(1500, 80);
        e->OpenOutput();
        std::this_thread::sleep_for(milliseconds(12));
        e.reset();  // no StopOutput: the destructor alone must stop the tick first
    }
    EXPECT_EQ(dev->Opens(), dev->Closes());
    VirtualWaveDevice::Uninstall();
}

}  // namespace
