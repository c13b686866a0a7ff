// SPDX-License-Identifier: GPL-3.0-or-later
// What one wake-up of a 10 ms periodic thread costs on this machine, whatever it waits
// with: the thread's own CPU time (scheduled run time, kernel included) per wake-up, for a
// condition variable's timed wait, clock_nanosleep at absolute deadlines, a periodic
// timerfd, and the platform layer's timeSetEvent with an empty callback. The tick thread
// of a playing engine costs about what these do.
// Usage: bench_wake_cost [SECONDS_EACH]   (5 s by default)
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/mm_timer.h"

namespace {

constexpr int kPeriodMs = 10;

double threadSeconds() {
    rusage r{};
    getrusage(RUSAGE_THREAD, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Runs `wait` `wakes` times on a thread of its own and returns that thread's CPU seconds.
double onThread(int wakes, const std::function<void(int)>& wait) {
    double cpu = 0;
    std::thread t([&] {
        const double start = threadSeconds();
        wait(wakes);
        cpu = threadSeconds() - start;
    });
    t.join();
    return cpu;
}

void conditionVariable(int wakes) {
    std::mutex m;
    std::condition_variable cv;
    auto deadline = std::chrono::steady_clock::now();
    for (int i = 0; i < wakes; ++i) {
        deadline += std::chrono::milliseconds(kPeriodMs);
        std::unique_lock<std::mutex> lock(m);
        cv.wait_until(lock, deadline, [] { return false; });
    }
}

void absoluteSleep(int wakes) {
    timespec at{};
    clock_gettime(CLOCK_MONOTONIC, &at);
    for (int i = 0; i < wakes; ++i) {
        at.tv_nsec += kPeriodMs * 1000000L;
        if (at.tv_nsec >= 1000000000L) {
            at.tv_nsec -= 1000000000L;
            ++at.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
    }
}

void timerFd(int wakes) {
    const int fd = timerfd_create(CLOCK_MONOTONIC, 0);
    const timespec period{0, kPeriodMs * 1000000L};
    const itimerspec timing{period, period};
    timerfd_settime(fd, 0, &timing, nullptr);
    for (int done = 0; done < wakes;) {
        std::uint64_t expired = 0;
        if (read(fd, &expired, sizeof expired) == sizeof expired) {
            done += static_cast<int>(expired);
        }
    }
    close(fd);
}

struct Count {
    std::mutex m;
    std::condition_variable cv;
    int left = 0;
    double cpu = 0;
};

void countDown(plat::UINT, plat::UINT, plat::DWORD_PTR user, plat::DWORD_PTR, plat::DWORD_PTR) {
    static thread_local double start = threadSeconds();
    auto& c = *reinterpret_cast<Count*>(user);
    std::lock_guard<std::mutex> lock(c.m);
    if (--c.left == 0) {
        c.cpu = threadSeconds() - start;
        c.cv.notify_all();
    }
}

// The first callback starts the clock, so the thread's start-up is left out.
double platformTimer(int wakes) {
    Count c;
    c.left = wakes + 1;
    const plat::UINT id = plat::timeSetEvent(
        kPeriodMs, 1, countDown, reinterpret_cast<plat::DWORD_PTR>(&c), plat::TIME_PERIODIC);
    {
        std::unique_lock<std::mutex> lock(c.m);
        c.cv.wait(lock, [&] { return c.left <= 0; });
    }
    plat::timeKillEvent(id);
    return c.cpu;
}

void report(const char* what, double cpu, int wakes) {
    std::printf("  %-28s %6.1f us per wake-up   %.3f%% of one core\n", what, cpu / wakes * 1e6,
                cpu / (wakes * kPeriodMs / 1000.0) * 100.0);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int wakes = seconds * 1000 / kPeriodMs;
    std::printf("a thread woken every %d ms, %d wake-ups each:\n", kPeriodMs, wakes);
    report("condition variable", onThread(wakes, conditionVariable), wakes);
    report("clock_nanosleep", onThread(wakes, absoluteSleep), wakes);
    report("timerfd", onThread(wakes, timerFd), wakes);
    report("timeSetEvent (platform layer)", platformTimer(wakes), wakes);
    return 0;
}
