// SPDX-License-Identifier: GPL-3.0-or-later
// The session window with a long session, in this process on the offscreen platform: the
// time from opening a file to its problems and timeline shown, the time from the last
// keystroke to the problems shown (300 ms of it the pause the window waits for), how long
// a keystroke itself takes while a long file is read, and the resident memory. A session
// of 100000 entries (bench/long_session.h) and the starter session are measured.
// Usage: bench_session_window [RUNS]   (10 by default)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/long_session.h"
#include "bench/resident.h"

#include "editor/session_window.h"
#include "platform/message_queue.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void pumpUntil(editor::SessionTab* tab) {
    while (!tab->Checked()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

struct Figures {
    double median = 0.0;
    double worst = 0.0;
};

Figures figures(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

void measure(editor::SessionWindow& window, const std::string& path, const char* what, int runs) {
    const Clock::time_point opened = Clock::now();
    window.OpenFiles({QString::fromStdString(path)});
    editor::SessionTab* tab = window.CurrentTab();
    pumpUntil(tab);
    const double openMs = msSince(opened);
    std::vector<double> shown, keystroke;
    for (int i = 0; i < runs; ++i) {
        // A mistake typed at the end, then mended: each keystroke's problems are timed.
        for (const char* typed : {"\n0:00 nosuchset", ""}) {
            QTextCursor cursor = tab->Editor()->textCursor();
            cursor.movePosition(QTextCursor::End);
            tab->Editor()->setTextCursor(cursor);
            const Clock::time_point typedAt = Clock::now();
            if (*typed != '\0') {
                tab->Editor()->insertPlainText(typed);
            } else {
                tab->Editor()->undo();
            }
            keystroke.push_back(msSince(typedAt));
            pumpUntil(tab);
            shown.push_back(msSince(typedAt));
        }
    }
    const Figures s = figures(shown);
    const Figures k = figures(keystroke);
    std::printf(
        "%s: opened to problems and timeline shown %.0f ms; last keystroke to problems "
        "shown %.0f ms median, %.0f ms worst (300 of it the pause); the keystroke "
        "itself %.2f ms median, %.2f ms worst; VmRSS %.1f MB\n",
        what, openMs, s.median, s.worst, k.median, k.worst, bench::ResidentMb());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    plat::StartMessageQueue();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string small = "/tmp/bench-session-window-starter.sbg";
    const std::string large = "/tmp/bench-session-window-100000.sbg";
    std::ofstream(small) << editor::kStarterSession;
    std::ofstream(large) << bench::LongSession(100000);
    {
        editor::SessionWindow window;
        window.resize(1100, 860);
        window.show();
        measure(window, small, "the starter session", runs);
    }
    {
        editor::SessionWindow window;
        window.resize(1100, 860);
        window.show();
        measure(window, large, "100000 entries", runs);
    }
    std::remove(small.c_str());
    std::remove(large.c_str());
    return 0;
}
