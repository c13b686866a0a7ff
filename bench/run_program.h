// SPDX-License-Identifier: GPL-3.0-or-later
// Running another program to its end from a benchmark, timing it, and the figures of
// repeated runs.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The wall time the program took, or a negative time when it could not run or failed;
// `peakKiB`, when given, gets its peak resident memory, and `cpuSeconds` the processor time
// it used (user and system, all its threads).
inline double TimeProgram(const std::vector<std::string>& args, long* peakKiB = nullptr,
                          double* cpuSeconds = nullptr) {
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1.0;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double took = SecondsSince(start);
    if (peakKiB != nullptr) {
        *peakKiB = usage.ru_maxrss;
    }
    if (cpuSeconds != nullptr) {
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
        *cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took : -1.0;
}

// The times of repeated runs of one thing.
struct Times {
    std::vector<double> runs;
    std::vector<double> cpu;  // each run's processor time, where it was asked for
    double best() const { return *std::min_element(runs.begin(), runs.end()); }
    double median() const {
        std::vector<double> s = runs;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
    double leastCpu() const {
        return cpu.empty() ? 0.0 : *std::min_element(cpu.begin(), cpu.end());
    }
};

}  // namespace bench
