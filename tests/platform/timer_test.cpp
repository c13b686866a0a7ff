// SPDX-License-Identifier: GPL-3.0-or-later
// The multimedia timer: period, one-shot, kills from outside and inside, ids, priority.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/mm_timer.h"

using namespace plat;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

struct Ticks {
    std::vector<Clock::time_point> at;  // written by the timer's thread only
    std::atomic<int> count{0};
    std::atomic<int> policy{-1};
    std::atomic<int> priority{-1};
    bool killOnFirst = false;
};

void record(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* t = reinterpret_cast<Ticks*>(user);
    t->at.push_back(Clock::now());
    sched_param param{};
    int policy = -1;
    pthread_getschedparam(pthread_self(), &policy, &param);
    t->priority.store(param.sched_priority);
    t->policy.store(policy);
    if (t->killOnFirst) {
        EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    }
    t->count.fetch_add(1);
}

UINT start(Ticks& t, UINT delay, UINT flags) {
    t.at.reserve(200);
    return timeSetEvent(delay, 1, record, reinterpret_cast<DWORD_PTR>(&t), flags);
}

TEST(MmTimer, PeriodicEventsKeepTheirPeriodAndNoneRunsAfterItsKill) {
    Ticks tenMs, oneShot, selfKilled;
    selfKilled.killOnFirst = true;
    const UINT id = start(tenMs, 10, TIME_PERIODIC);
    const UINT once = start(oneShot, 5, TIME_ONESHOT);
    ASSERT_NE(once, 0u);
    const UINT self = start(selfKilled, 5, TIME_PERIODIC);
    std::this_thread::sleep_for(milliseconds(1050));
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    const int atKill = tenMs.count.load();
    ASSERT_GE(tenMs.at.size(), 90u);
    const std::chrono::duration<double, std::milli> span = tenMs.at.back() - tenMs.at.front();
    EXPECT_NEAR(span.count() / static_cast<double>(tenMs.at.size() - 1), 10.0, 1.0);
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(tenMs.count.load(), atKill);
    EXPECT_EQ(oneShot.count.load(), 1);
    EXPECT_EQ(selfKilled.count.load(), 1);
    EXPECT_EQ(timeKillEvent(once), TIMERR_NOERROR);  // a one-shot event is killed all the same
    // Gone ids, never-given ids and 0 fail; a new event never reuses an id.
    for (UINT gone : {id, self, 0u, 0x7FFFFFF0u}) {
        EXPECT_NE(timeKillEvent(gone), TIMERR_NOERROR) << gone;
    }
    const UINT next = start(oneShot, 1000, TIME_ONESHOT);
    EXPECT_TRUE(next != id && next != self);
    EXPECT_EQ(timeKillEvent(next), TIMERR_NOERROR);
    // The thread runs at a real-time priority below a synthesizer's audio thread (60)
    // where the process may have one, else at the normal policy.
    if (oneShot.policy.load() == SCHED_FIFO) {
        EXPECT_GE(oneShot.priority.load(), 1);
        EXPECT_LT(oneShot.priority.load(), 60);
    } else {
        bool allowed = false;  // as a thread of this process may have no real-time priority
        std::thread([&] {
            sched_param param{1};
            allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
        }).join();
        EXPECT_FALSE(allowed);
        EXPECT_EQ(oneShot.policy.load(), SCHED_OTHER);
    }
}

}  // namespace
