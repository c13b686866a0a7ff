// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/stop_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace cli {
namespace {

// Made once and never closed, so that a handler running on another thread while a
// StopSignal goes away never writes to a closed (or reused) descriptor. Non-blocking: a
// full pipe already holds a stop request, and the handler must not wait.
struct StopPipe {
    int readEnd = -1;
    int writeEnd = -1;
};

const StopPipe& stopPipe() {
    static const StopPipe pipe = [] {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            return StopPipe{};
        }
        return StopPipe{fds[0], fds[1]};
    }();
    return pipe;
}

// Set before the handlers are installed; the same descriptor every time.
std::atomic<int> g_writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_writeEnd.load(), &byte, 1);
}

}  // namespace

StopSignal::StopSignal(std::function<void()> onStop) : m_onStop(std::move(onStop)) {
    const StopPipe& pipe = stopPipe();
    if (pipe.readEnd < 0) {
        return;  // no pipe to be had: the signals keep their default action and end the program
    }
    m_notifier = new QSocketNotifier(pipe.readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this, fd = pipe.readEnd] {
        char bytes[16];
        while (read(fd, bytes, sizeof bytes) > 0) {
        }
        m_onStop();
    });
    g_writeEnd.store(pipe.writeEnd);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

StopSignal::~StopSignal() {
    delete m_notifier;  // what the handlers still write stays in the pipe, unread
}

}  // namespace cli
