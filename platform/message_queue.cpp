// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "platform/window.h"

namespace plat {
namespace {

struct Posted {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Posting threads only touch the queue and the eventfd; the notifier and the window
// registry belong to the user-interface thread. (Qt's own cross-thread posting hands its
// payload over through locks that ThreadSanitizer cannot see; this hand-over it can.)
class Queue {
  public:
    Queue() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    void push(const Posted& p) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_items.push_back(p);
        }
        wake();
    }

    bool pop(Posted& out) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_items.empty()) {
            return false;
        }
        out = m_items.front();
        m_items.pop_front();
        return true;
    }

    std::size_t size() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items.size();
    }

    void wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(m_fd, &one, sizeof one);
    }

    void clearWake() {
        std::uint64_t value = 0;
        [[maybe_unused]] ssize_t n = read(m_fd, &value, sizeof value);
    }

    int fd() const { return m_fd; }

  private:
    std::mutex m_mutex;
    std::deque<Posted> m_items;
    int m_fd;
};

Queue& queue() {
    // Never destroyed: device and timer threads may still post while the process ends.
    static Queue* q = new Queue;
    return *q;
}

std::mutex g_registryMutex;
std::map<HWND, CWnd*> g_windows;
HWND g_nextHwnd = 1;
QSocketNotifier* g_notifier = nullptr;

void ensureNotifier() {
    if (g_notifier != nullptr || QCoreApplication::instance() == nullptr) {
        return;
    }
    g_notifier =
        new QSocketNotifier(queue().fd(), QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(g_notifier, &QSocketNotifier::activated, [] { DeliverPostedMessages(); });
    QObject::connect(g_notifier, &QObject::destroyed, [] { g_notifier = nullptr; });
}

CWnd* findWindow(HWND hwnd) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : it->second;
}

}  // namespace

namespace detail {

HWND registerWindow(CWnd* wnd) {
    ensureNotifier();
    std::lock_guard<std::mutex> lock(g_registryMutex);
    const HWND id = g_nextHwnd++;
    g_windows[id] = wnd;
    return id;
}

void unregisterWindow(HWND hwnd) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_windows.erase(hwnd);
}

}  // namespace detail

void StartMessageQueue() {
    ensureNotifier();
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == 0) {
        return FALSE;
    }
    queue().push(Posted{hwnd, msg, wParam, lParam});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    queue().push(Posted{0, WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

void DeliverPostedMessages() {
    Queue& q = queue();
    q.clearWake();
    // Deliver only what was queued on entry, so that a handler that posts again cannot
    // keep the event loop from running; anything newer rings the notifier once more.
    for (std::size_t left = q.size(); left > 0; --left) {
        Posted p{};
        if (!q.pop(p)) {
            break;
        }
        if (p.hwnd == 0 && p.msg == WM_QUIT) {
            QCoreApplication::exit(static_cast<int>(p.wParam));
            continue;
        }
        if (CWnd* wnd = findWindow(p.hwnd)) {
            wnd->WindowProc(p.msg, p.wParam, p.lParam);
        }
    }
    if (q.size() > 0) {
        q.wake();
    }
}

}  // namespace plat
