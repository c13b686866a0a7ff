// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the window: launches `tovin` on the display in DISPLAY with
// TOVIN_REPORT_FIRST_PAINT set, takes the time from just before the launch to the first
// paint of the main window (the program reports that instant on the monotonic clock, the
// one steady_clock reads here), then, the window shown and left idle for a second, its
// resident memory (VmRSS), and ends it. Prints every run, and the median of the runs after
// the first (the first may still find the libraries and fonts outside the file cache).
// With session files named, it starts the session window on them instead (`tovin FILE`).
// Usage: bench_window_start [RUNS] [FILE ...]   (6 runs by default)
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/resident.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Start {
    double firstPaintMs = -1.0;
    double rssMb = -1.0;
};

double monotonicSeconds(Clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// One launch; an empty result (negative figures) when the program did not report a paint.
Start launchOnce(const std::vector<std::string>& files) {
    Start result;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFd[1]);
    std::vector<char*> argv{const_cast<char*>(TOVIN_APP_PATH)};
    for (const std::string& file : files) {
        argv.push_back(const_cast<char*>(file.c_str()));
    }
    argv.push_back(nullptr);

    const Clock::time_point launched = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);
    if (spawned != 0) {
        close(pipeFd[0]);
        return result;
    }
    // Reads the program's standard error until the line comes; a program that has not
    // painted ten seconds after the launch is given up.
    const Clock::time_point deadline = launched + std::chrono::seconds(10);
    std::string pending;
    while (result.firstPaintMs < 0.0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fd{pipeFd[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buf[512];
        const ssize_t n = read(pipeFd[0], buf, sizeof buf);
        if (n <= 0) {
            break;  // the program ended
        }
        pending.append(buf, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;
             pending.erase(0, eol + 1)) {
            double at = 0.0;
            if (std::sscanf(pending.c_str(), "tovin: first paint at %lf s", &at) == 1) {
                result.firstPaintMs = 1000.0 * (at - monotonicSeconds(launched));
            }
        }
    }
    if (result.firstPaintMs >= 0.0) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        result.rssMb = bench::ResidentMb(std::to_string(pid));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(pipeFd[0]);
    return result;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr,
                     "bench_window_start: DISPLAY is not set (bench/window_start.sh "
                     "starts an Xvfb server for it)\n");
        return 2;
    }
    setenv("TOVIN_REPORT_FIRST_PAINT", "1", 1);
    const std::vector<std::string> files(argv + std::min(argc, 2), argv + argc);
    std::vector<double> paint, rss;
    for (int i = 0; i < runs; ++i) {
        const Start s = launchOnce(files);
        if (s.firstPaintMs < 0.0 || s.rssMb < 0.0) {
            std::fprintf(stderr, "bench_window_start: run %d: the window did not report a paint\n",
                         i + 1);
            return 1;
        }
        std::printf("  run %d: first paint %6.1f ms after launch, VmRSS %5.1f MB\n", i + 1,
                    s.firstPaintMs, s.rssMb);
        if (i > 0) {
            paint.push_back(s.firstPaintMs);
            rss.push_back(s.rssMb);
        }
    }
    const double p = median(paint);
    const double r = median(rss);
    if (!files.empty()) {
        std::printf(
            "session window start-up, median of runs 2 to %d: first paint %.1f ms, "
            "VmRSS %.1f MB a second after it\n",
            runs, p, r);
        return 0;
    }
    std::printf(
        "window start-up, median of runs 2 to %d: first paint %.1f ms (target under 300: "
        "%s), VmRSS %.1f MB (target under 60: %s)\n",
        runs, p, p < 300.0 ? "met" : "NOT met", r, r < 60.0 ? "met" : "NOT met");
    return 0;
}
