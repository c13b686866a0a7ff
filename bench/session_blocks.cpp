// SPDX-License-Identifier: GPL-3.0-or-later
// How long the reader takes over the largest block expansions a file may ask for: a nest of
// 1000 blocks, the 100000 entries of five levels of ten calls, and a nest of 1000 called
// 1000 times (a million calls, the bound). Each is read `runs` times; the best and the
// median are printed against the target of a second each.
// Usage: bench_session_blocks [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "session/reader.h"

namespace {

// n0 holds one entry a second in; each n(k) calls n(k-1) a second in.
std::string nest(int depth) {
    std::string text = "a: -\nn0: {\n+0:00:01 a\n}\n";
    for (int k = 1; k < depth; ++k) {
        text += "n" + std::to_string(k) + ": {\n+0:00:01 n" + std::to_string(k - 1) + "\n}\n";
    }
    return text;
}

// Five levels, each calling the one below ten times, 10^level seconds apart.
std::string tens() {
    std::string text = "a: -\n";
    for (int level = 0, step = 1; level < 5; ++level, step *= 10) {
        text += "L" + std::to_string(level) + ": {\n";
        for (int k = 0; k < 10; ++k) {
            const int at = k * step;
            char line[64];
            std::snprintf(line, sizeof line, "+%d:%02d:%02d %s\n", at / 3600, at / 60 % 60, at % 60,
                          level == 0 ? "a" : ("L" + std::to_string(level - 1)).c_str());
            text += line;
        }
        text += "}\n";
    }
    return text + "0:00 L4\n";
}

// The 1000-deep nest called 999 times, ten seconds apart.
std::string manyCalls() {
    std::string text = nest(1000) + "w: {\n";
    for (int k = 0; k < 999; ++k) {
        text += "+" + std::to_string(k / 360) + ":" + std::to_string(k / 6 % 60) + ":" +
                std::to_string(k % 6 * 10) + " n999\n";
    }
    return text + "}\n0:00 w\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const struct {
        const char* what;
        std::string text;
        std::size_t entries;
    } cases[] = {{"a nest of 1000 blocks", nest(1000) + "0:00 n999\n", 1},
                 {"100000 entries from five levels of ten calls", tens(), 100000},
                 {"the nest of 1000 called 999 times", manyCalls(), 999}};
    bool met = true;
    for (const auto& c : cases) {
        std::vector<double> seconds;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const session::ReadResult read = session::ReadSessionText(c.text, "bench.sbg");
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (!read.session || read.session->entries.size() != c.entries) {
                std::printf("%s: not read as expected%s%s\n", c.what,
                            read.problems.empty() ? "" : ": ",
                            read.problems.empty() ? "" : read.problems[0].text.c_str());
                return 1;
            }
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        met = met && median < 1.0;
        std::printf("%-48s best %.4f s, median %.4f s (target under 1 s)\n", c.what, seconds[0],
                    median);
    }
    return met ? 0 : 1;
}
