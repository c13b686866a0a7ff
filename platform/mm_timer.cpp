// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mm_timer.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/seams.h"

namespace plat {
namespace {

// Each event waits on a kernel interval timer of its own: one read per tick, and the
// kernel keeps the deadlines on the original grid, so the period does not drift. To kill
// an event the timer is re-armed to expire at once, which ends the wait.
struct Event {
    explicit Event(int timerFd) : fd(timerFd) {}
    ~Event() { ::close(fd); }
    const int fd;
    std::atomic<bool> cancelled{false};
    std::thread thread;
};

std::mutex g_mutex;
std::map<UINT, std::shared_ptr<Event>> g_events;
UINT g_nextId = 1;
std::map<UINT, int> g_reserved;
bool g_capsOverridden = false;
std::optional<TIMECAPS> g_caps;

// Ticks missed for more than this long are not caught up one by one: the machine was
// suspended, or the process stopped. Shorter stalls, as a heavily loaded machine gives,
// are caught up so that the count of ticks keeps time.
constexpr auto kMaxLag = std::chrono::seconds(2);

timespec toTimespec(std::chrono::nanoseconds ns) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(ns);
    return timespec{static_cast<time_t>(s.count()), static_cast<long>((ns - s).count())};
}

bool arm(int fd, std::chrono::nanoseconds first, std::chrono::nanoseconds interval) {
    const itimerspec timing{toTimespec(interval), toTimespec(first)};
    return timerfd_settime(fd, 0, &timing, nullptr) == 0;
}

// The timer's thread asks for a real-time priority, so that a busy desktop does not make
// ticks late: as root, or where RLIMIT_RTPRIO grants one (often for the audio group). It
// stays below a synthesizer's audio thread (FluidSynth's is 60). Where the system refuses,
// the thread keeps the normal policy.
constexpr int kRealTimePriority = 20;

void raisePriority() {
    sched_param param{};
    param.sched_priority = kRealTimePriority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) {
        return;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur >= 1 &&
        limit.rlim_cur < static_cast<rlim_t>(kRealTimePriority)) {
        param.sched_priority = static_cast<int>(limit.rlim_cur);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }
}

void runEvent(std::shared_ptr<Event> ev, UINT id, UINT delay, LPTIMECALLBACK callback,
              DWORD_PTR user, bool periodic) {
    pthread_setname_np(pthread_self(), "mm-timer");  // as top -H and debuggers show it
    raisePriority();
    const std::uint64_t maxCatchUp =
        static_cast<std::uint64_t>(std::chrono::milliseconds(kMaxLag).count()) / delay;
    for (;;) {
        std::uint64_t expired = 0;
        if (::read(ev->fd, &expired, sizeof expired) != sizeof expired) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (!periodic) {
            if (!ev->cancelled.load()) {
                callback(id, 0, user, 0, 0);
            }
            return;
        }
        if (expired > maxCatchUp) {
            expired = 1;
        }
        for (std::uint64_t i = 0; i < expired; ++i) {
            if (ev->cancelled.load()) {
                return;
            }
            callback(id, 0, user, 0, 0);
        }
    }
}

}  // namespace

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
    if (caps == nullptr || size < sizeof(TIMECAPS)) {
        return TIMERR_NOCANDO;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_capsOverridden) {
        if (!g_caps) {
            return TIMERR_NOCANDO;
        }
        *caps = *g_caps;
        return TIMERR_NOERROR;
    }
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
    if (period == 0) {
        return TIMERR_NOCANDO;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_reserved[period];
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_reserved.find(period);
    if (it == g_reserved.end() || it->second == 0) {
        return TIMERR_NOCANDO;
    }
    if (--it->second == 0) {
        g_reserved.erase(it);
    }
    return TIMERR_NOERROR;
}

UINT timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    if (callback == nullptr || delay == 0) {
        return 0;
    }
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    auto ev = std::make_shared<Event>(fd);
    const bool periodic = (flags & TIME_PERIODIC) != 0;
    const std::chrono::nanoseconds period = std::chrono::milliseconds(delay);
    if (!arm(fd, period, periodic ? period : std::chrono::nanoseconds(0))) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    const UINT id = g_nextId++;
    // g_mutex is held until the id is in the table, so a callback that kills its own
    // event (even the first one) finds it there.
    ev->thread = std::thread(runEvent, ev, id, delay, callback, user, periodic);
    g_events[id] = ev;
    return id;
}

MMRESULT timeKillEvent(UINT id) {
    std::shared_ptr<Event> ev;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_events.find(id);
        if (it == g_events.end()) {
            return MMSYSERR_INVALPARAM;
        }
        ev = std::move(it->second);
        g_events.erase(it);
    }
    ev->cancelled.store(true);
    arm(ev->fd, std::chrono::nanoseconds(1), std::chrono::nanoseconds(0));
    if (ev->thread.get_id() == std::this_thread::get_id()) {
        // Killed from inside its own callback: this call is the last one.
        ev->thread.detach();
    } else {
        ev->thread.join();
    }
    return TIMERR_NOERROR;
}

namespace seams {

void OverrideTimerCaps(std::optional<TIMECAPS> caps) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capsOverridden = true;
    g_caps = caps;
}

void ClearTimerCaps() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capsOverridden = false;
    g_caps.reset();
}

int ReservedPeriods(UINT period) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_reserved.find(period);
    return it == g_reserved.end() ? 0 : it->second;
}

}  // namespace seams

}  // namespace plat
