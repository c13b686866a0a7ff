#include "platform/mm_timer.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace plat {
namespace {

using Clock = std::chrono::steady_clock;

struct Event {
    std::mutex mutex;
    std::condition_variable cv;
    bool cancelled = false;
    std::thread thread;
};

std::mutex g_mutex;
std::map<UINT, std::shared_ptr<Event>> g_events;
UINT g_nextId = 1;
std::map<UINT, int> g_reserved;
bool g_capsOverridden = false;
std::optional<TIMECAPS> g_caps;

// A deadline more than this far behind is not caught up tick by tick: the schedule
// restarts from now (the machine was suspended, or the process stopped).
constexpr auto kMaxLag = std::chrono::milliseconds(500);

void runEvent(std::shared_ptr<Event> ev, UINT id, UINT delay, LPTIMECALLBACK callback,
              DWORD_PTR user, bool periodic) {
    pthread_setname_np(pthread_self(), "mm-timer");  // as top -H and debuggers show it
    const auto period = std::chrono::milliseconds(delay);
    auto deadline = Clock::now() + period;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(ev->mutex);
            if (ev->cv.wait_until(lock, deadline, [&] { return ev->cancelled; })) {
                return;
            }
        }
        callback(id, 0, user, 0, 0);
        if (!periodic) {
            return;
        }
        deadline += period;
        const auto now = Clock::now();
        if (now - deadline > kMaxLag) {
            deadline = now;
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
    auto ev = std::make_shared<Event>();
    std::lock_guard<std::mutex> lock(g_mutex);
    const UINT id = g_nextId++;
    const bool periodic = (flags & TIME_PERIODIC) != 0;
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
    {
        std::lock_guard<std::mutex> lock(ev->mutex);
        ev->cancelled = true;
        ev->cv.notify_all();
    }
    if (ev->thread.get_id() == std::this_thread::get_id()) {
        // Killed from inside its own callback: this call is the last one.
        ev->thread.detach();
    } else {
        ev->thread.join();
    }
    return TIMERR_NOERROR;
}

namespace testing {

void SetTimerCaps(std::optional<TIMECAPS> caps) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capsOverridden = true;
    g_caps = caps;
}

void ResetTimerCaps() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capsOverridden = false;
    g_caps.reset();
}

int ReservedPeriods(UINT period) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_reserved.find(period);
    return it == g_reserved.end() ? 0 : it->second;
}

}  // namespace testing

}  // namespace plat
