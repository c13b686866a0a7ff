// SPDX-License-Identifier: GPL-3.0-or-later
// What a mix file costs by itself: SECONDS of it (looped) read at its own rate as the
// synthesis reads it, 2048 frames at a time, decoded on the reading thread and then decoded
// ahead on threads of their own. Wall and processor time of this process for each; the
// file is made by the caller (bench_wider_voices makes its Ogg file with sox).
//   bench_mix_decode FILE [SECONDS]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/run_program.h"
#include "session/mix_ahead.h"

namespace {

double cpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

bool timeReading(const char* what, session::MixStream* mix, double seconds) {
    if (mix == nullptr) {
        return false;
    }
    const auto frames = static_cast<long>(seconds * mix->Info().fileRate);
    std::vector<double> block(2 * 2048);
    const double cpu = cpuSeconds();
    const auto start = bench::Clock::now();
    for (long done = 0; done < frames; done += 2048) {
        mix->Read(block.data(), 2048);
    }
    std::printf("  %-28s %7.3f s wall, %7.3f s of processor time\n", what,
                bench::SecondsSince(start), cpuSeconds() - cpu);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_mix_decode FILE [SECONDS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3600.0;
    std::string error;
    const auto info = session::OpenMixFile(path, 44100, error);
    if (!info) {
        std::fprintf(stderr, "bench_mix_decode: %s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    const int rate = info->Info().fileRate;
    std::printf("%.0f s of %s (%s, %d Hz), looped:\n", seconds, path.c_str(),
                info->Info().format.c_str(), rate);
    const bool read =
        timeReading("on the reading thread", session::OpenMixFile(path, rate, error).get(),
                    seconds) &&
        timeReading("decoded ahead", session::OpenMix(path, rate, error).get(), seconds);
    return read ? 0 : 1;
}
