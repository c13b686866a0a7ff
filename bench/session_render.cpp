// SPDX-License-Identifier: GPL-3.0-or-later
// A one-hour session of four voices at once (pink noise, two binaural voices and an
// isochronic one, with a twenty-minute slide in the middle) rendered to a 16-bit WAV file at
// 44.1 kHz, three ways in turn in each run: `tovin-cli render`, sox synthesising an hour of
// pink noise and two sines into the same format, and a plain write of a file of that size
// (1 MiB at a time), the floor under any render. Before each of them, untimed, its file is
// removed and the page cache written back (sync), so that none pays for another's writes.
// Then checks that tovin's file holds exactly the reference samples (ReferenceFrame for every
// frame) over three stretches: the first two minutes, two minutes within the slide and the
// last two minutes.
// Usage: bench_session_render [RUNS] [DIR]   (3 runs, files in the current directory)
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/run_program.h"
#include "session/reader.h"
#include "session/synth.h"
#include "session/timeline.h"

namespace {

using bench::Clock;
using bench::Times;

constexpr const char* kSession =
    "## One hour of four voices, with a twenty-minute slide in the middle\n"
    "-SE\n"
    "a: pink/30 200+10/20 300@8/15 100-4/10\n"
    "b: pink/30 220+6/20 320@6/15 110-3/10\n"
    "00:00:00 a\n"
    "00:20:00 == a ->\n"
    "00:40:00 == b\n"
    "01:00:00 b\n";

constexpr long long kBytes = 44 + 3600LL * 44100 * 4;

double timeWrite(const std::string& path) {
    const auto start = Clock::now();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return -1.0;
    }
    std::vector<char> block(1 << 20, 0);
    for (long long left = kBytes; left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<long long>(left, block.size()));
        if (write(fd, block.data(), n) != static_cast<ssize_t>(n)) {
            close(fd);
            return -1.0;
        }
        left -= static_cast<long long>(n);
    }
    close(fd);
    return bench::SecondsSince(start);
}

// Whether the file's frames [from, from + count) are the plain reference's.
bool matchesReference(const std::string& path, const session::Timeline& timeline, std::int64_t from,
                      int count) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr || sf_seek(file, from, SEEK_SET) != from) {
        return false;
    }
    std::vector<std::int16_t> got(2 * static_cast<std::size_t>(count));
    const sf_count_t read = sf_readf_short(file, got.data(), count);
    sf_close(file);
    std::vector<std::int16_t> want(got.size());
    session::Synth plain(timeline, 0, session::kPcm16, session::Synth::Method::Plain);
    plain.Seek(from);
    plain.Render(want.data(), count);
    return read == count && got == want;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string dir = argc > 2 ? argv[2] : ".";
    const std::string sbg = dir + "/bench-hour.sbg";
    const std::string tovin = dir + "/bench-tovin.wav";
    const std::string sox = dir + "/bench-sox.wav";
    const std::string plain = dir + "/bench-write.raw";
    std::ofstream(sbg) << kSession;

    Times tt;
    Times ts;
    Times tw;
    for (int i = 0; i < runs; ++i) {
        for (const std::string* f : {&tovin, &sox, &plain}) {
            unlink(f->c_str());
        }
        tt.runs.push_back(
            bench::TimeProgram({TOVIN_CLI_PATH, "render", "--session", sbg, "-o", tovin}));
        ts.runs.push_back(
            bench::TimeProgram({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", sox, "synth",
                                "3600", "pinknoise", "sine", "205", "sine", "195"}));
        tw.runs.push_back(timeWrite(plain));
        std::printf("  run %d: tovin-cli render %.3f s, sox %.3f s, plain write %.3f s\n", i + 1,
                    tt.runs.back(), ts.runs.back(), tw.runs.back());
        std::fflush(stdout);
    }
    const bool failed = tt.best() < 0 || ts.best() < 0 || tw.best() < 0;

    const session::ReadResult read = session::ReadSessionText(kSession, "bench-hour.sbg");
    const session::Timeline timeline = session::BuildTimeline(*read.session, 44100);
    const int twoMinutes = 120 * 44100;
    bool exact = true;
    const std::int64_t stretches[] = {0, 30LL * 60 * 44100, 58LL * 60 * 44100};
    for (std::int64_t from : stretches) {
        exact = exact && matchesReference(tovin, timeline, from, twoMinutes);
    }
    for (const std::string* f : {&tovin, &sox, &plain}) {
        unlink(f->c_str());
    }
    unlink(sbg.c_str());

    std::printf("one hour, 16-bit stereo WAV at 44.1 kHz (%lld bytes), %d runs (best / median):\n",
                kBytes, runs);
    std::printf("  tovin-cli render  %7.3f / %7.3f s  %6.0fx real time\n", tt.best(), tt.median(),
                3600 / tt.best());
    std::printf("  sox               %7.3f / %7.3f s  tovin %.1f times faster (medians %.1f)\n",
                ts.best(), ts.median(), ts.best() / tt.best(), ts.median() / tt.median());
    std::printf("  plain write       %7.3f / %7.3f s  tovin takes %.2f times as long\n", tw.best(),
                tw.median(), tt.best() / tw.best());
    std::printf("  samples: %s\n",
                exact ? "the reference's in all three stretches" : "DIFFERENT from the reference");
    return failed || !exact ? 1 : 0;
}
