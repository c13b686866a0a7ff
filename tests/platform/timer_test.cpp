#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/mm_timer.h"
#include "platform/testing/hooks.h"

using namespace plat;
using Clock = std::chrono::steady_clock;

namespace {

struct Ticks {
    std::atomic<int> count{0};
    std::vector<Clock::time_point> at;  // written by the timer thread only
    std::atomic<bool> afterKill{false};
};

void record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* t = reinterpret_cast<Ticks*>(user);
    t->at.push_back(Clock::now());
    t->count.fetch_add(1);
}

TEST(MmTimer, PeriodicTenMillisecondsAveragesTenOverOneSecond) {
    Ticks ticks;
    ticks.at.reserve(200);
    const UINT id = timeSetEvent(10, 1, record, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    ASSERT_GE(ticks.at.size(), 90u);
    const auto span = ticks.at.back() - ticks.at.front();
    const double meanMs =
        std::chrono::duration<double, std::milli>(span).count() / (ticks.at.size() - 1);
    EXPECT_NEAR(meanMs, 10.0, 1.0);
}

TEST(MmTimer, NoCallbackRunsAfterKillReturns) {
    Ticks ticks;
    const UINT id = timeSetEvent(1, 1, record, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    const int atKill = ticks.count.load();
    EXPECT_GT(atKill, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ticks.count.load(), atKill);
}

struct Policy {
    std::atomic<int> policy{-1};
    std::atomic<int> priority{-1};
};

void notePolicy(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* p = reinterpret_cast<Policy*>(user);
    sched_param param{};
    int policy = -1;
    pthread_getschedparam(pthread_self(), &policy, &param);
    p->priority.store(param.sched_priority);
    p->policy.store(policy);
}

// Whether this process may give a thread a real-time priority at all.
bool realTimeAllowed() {
    bool allowed = false;
    std::thread probe([&] {
        sched_param param{};
        param.sched_priority = 1;
        allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
    });
    probe.join();
    return allowed;
}

TEST(MmTimer, TheTimerThreadRunsAtRealTimePriorityWhereAllowed) {
    Policy seen;
    const UINT id =
        timeSetEvent(5, 1, notePolicy, reinterpret_cast<DWORD_PTR>(&seen), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    const auto giveUp = Clock::now() + std::chrono::seconds(5);
    while (seen.policy.load() == -1 && Clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    timeKillEvent(id);
    if (realTimeAllowed()) {
        EXPECT_EQ(seen.policy.load(), SCHED_FIFO);
        EXPECT_GE(seen.priority.load(), 1);
        EXPECT_LT(seen.priority.load(), 60);  // below a synthesizer's audio thread
    } else {
        EXPECT_EQ(seen.policy.load(), SCHED_OTHER);  // refused: it runs all the same
    }
}

struct SelfKill {
    std::atomic<UINT> id{0};
    std::atomic<int> calls{0};
    std::atomic<MMRESULT> result{999};
};

void killMyself(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* s = reinterpret_cast<SelfKill*>(user);
    s->calls.fetch_add(1);
    s->result.store(timeKillEvent(id));
}

TEST(MmTimer, AnEventKilledFromItsOwnCallbackNeverRunsAgain) {
    SelfKill s;
    const UINT id = timeSetEvent(5, 1, killMyself, reinterpret_cast<DWORD_PTR>(&s), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(s.calls.load(), 1);
    EXPECT_EQ(s.result.load(), TIMERR_NOERROR);
    EXPECT_NE(timeKillEvent(id), TIMERR_NOERROR);  // already gone
}

TEST(MmTimer, OneShotRunsExactlyOnce) {
    Ticks ticks;
    const UINT id = timeSetEvent(5, 1, record, reinterpret_cast<DWORD_PTR>(&ticks), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(ticks.count.load(), 1);
    timeKillEvent(id);
}

TEST(MmTimer, KillingAnUnknownOrZeroIdFails) {
    EXPECT_NE(timeKillEvent(0), TIMERR_NOERROR);
    EXPECT_NE(timeKillEvent(0x7FFFFFF0u), TIMERR_NOERROR);
}

TEST(MmTimer, EventIdsAreNeverReused) {
    Ticks ticks;
    const UINT a = timeSetEvent(1000, 1, record, reinterpret_cast<DWORD_PTR>(&ticks), TIME_ONESHOT);
    timeKillEvent(a);
    const UINT b = timeSetEvent(1000, 1, record, reinterpret_cast<DWORD_PTR>(&ticks), TIME_ONESHOT);
    EXPECT_NE(a, b);
    EXPECT_NE(timeKillEvent(a), TIMERR_NOERROR);
    EXPECT_EQ(timeKillEvent(b), TIMERR_NOERROR);
}

TEST(MmTimer, ReservationsAreCountedUntilGivenBack) {
    EXPECT_EQ(plat::testing::ReservedPeriods(7), 0);
    EXPECT_EQ(timeBeginPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(plat::testing::ReservedPeriods(7), 2);
    EXPECT_EQ(timeEndPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(7), TIMERR_NOCANDO);  // nothing left to give back
    EXPECT_EQ(plat::testing::ReservedPeriods(7), 0);
}

TEST(MmTimer, CapabilitiesCanBeReplacedOrMadeToFail) {
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    plat::testing::SetTimerCaps(TIMECAPS{5, 50});
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 5u);
    EXPECT_EQ(caps.wPeriodMax, 50u);
    plat::testing::SetTimerCaps(std::nullopt);
    EXPECT_NE(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    plat::testing::ResetTimerCaps();
}

}  // namespace
