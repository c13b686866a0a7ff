// SPDX-License-Identifier: GPL-3.0-or-later
// Runs programs side by side, each to its end, and prints the CPU time each one used (user
// plus system, every thread, start-up included, as the kernel accounts it at exit) as a
// share of one core over its own wall time, and the first one's share as a ratio of each
// other's. Programs that run in the same window meet the same machine load. Each one's
// threads are sampled every quarter second, and the last sample before it exits shows
// where its time went, by thread name.
// Usage: bench_cpu_share LABEL PROGRAM [ARG...] [-- LABEL PROGRAM [ARG...]]...
// Exits with 1 when a program cannot be started or does not exit with 0.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    std::string label;
    std::vector<std::string> args;
    pid_t pid = 0;
    Clock::time_point start;
    double wall = 0.0;
    double user = 0.0;
    double system = 0.0;
    long maxRssKiB = 0;
    int status = 0;
    bool done = false;
    // Thread id -> name and CPU seconds, as last sampled.
    std::map<std::string, std::pair<std::string, double>> threads;

    double share() const { return wall > 0.0 ? (user + system) / wall : 0.0; }
};

double seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

std::vector<Run> parse(int argc, char** argv) {
    std::vector<Run> runs(1);
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            runs.emplace_back();
        } else if (runs.back().label.empty()) {
            runs.back().label = word;
        } else {
            runs.back().args.push_back(word);
        }
    }
    for (const Run& r : runs) {
        if (r.args.empty()) {
            return {};
        }
    }
    return runs;
}

void sampleThreads(Run& run) {
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(run.pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::string name;
        double nanoseconds = 0.0;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (std::ifstream(task.path() / "schedstat") >> nanoseconds && !name.empty()) {
            run.threads[task.path().filename()] = {name, nanoseconds / 1e9};
        }
    }
}

bool spawn(Run& run) {
    std::vector<char*> argv;
    for (auto& a : run.args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    run.start = Clock::now();
    return posix_spawnp(&run.pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Run> runs = parse(argc, argv);
    if (runs.empty()) {
        std::fprintf(
            stderr,
            "usage: bench_cpu_share LABEL PROGRAM [ARG...] [-- LABEL PROGRAM [ARG...]]...\n");
        return 2;
    }
    for (Run& r : runs) {
        if (!spawn(r)) {
            std::fprintf(stderr, "bench_cpu_share: cannot start %s\n", r.args[0].c_str());
            return 1;
        }
    }
    for (std::size_t left = runs.size(); left > 0;) {
        for (Run& r : runs) {
            if (r.done) {
                continue;
            }
            sampleThreads(r);
            rusage usage{};
            const pid_t pid = wait4(r.pid, &r.status, WNOHANG, &usage);
            if (pid < 0) {
                std::perror("bench_cpu_share: wait4");
                return 1;
            }
            if (pid == r.pid) {
                r.wall = std::chrono::duration<double>(Clock::now() - r.start).count();
                r.user = seconds(usage.ru_utime);
                r.system = seconds(usage.ru_stime);
                r.maxRssKiB = usage.ru_maxrss;
                r.done = true;
                --left;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }

    bool ok = true;
    for (const Run& r : runs) {
        const bool exited = WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0;
        ok = ok && exited;
        std::printf(
            "  %-16s %6.2f s wall  %6.3f s user  %6.3f s sys  %6.3f%% of one core  "
            "peak RSS %5.1f MB%s\n",
            r.label.c_str(), r.wall, r.user, r.system, 100.0 * r.share(),
            static_cast<double>(r.maxRssKiB) / 1024.0, exited ? "" : "  (FAILED)");
        std::map<std::string, std::pair<int, double>> byName;
        for (const auto& [tid, thread] : r.threads) {
            ++byName[thread.first].first;
            byName[thread.first].second += thread.second;
        }
        std::printf("    by thread, to the last sample:");
        for (const auto& [name, sum] : byName) {
            const std::string count = sum.first > 1 ? " x" + std::to_string(sum.first) : "";
            std::printf("  %s%s %.3f%%", name.c_str(), count.c_str(), 100.0 * sum.second / r.wall);
        }
        std::printf("\n");
    }
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].share() > 0.0) {
            std::printf("  %s / %s = %.2f\n", runs[0].label.c_str(), runs[i].label.c_str(),
                        runs[0].share() / runs[i].share());
        }
    }
    return ok ? 0 : 1;
}
