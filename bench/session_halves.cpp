// SPDX-License-Identifier: GPL-3.0-or-later
// Where the wider voices' hour goes, in the two halves a render splits into: Prepare, which
// moves the phases and the noise on sample after sample and so can run on one thread only,
// and Finish (the sines, the spins' ears, the mix), which either thread may take. Both run
// here on this one thread, in blocks of 8192 frames as the file render takes them, timed by
// the thread's own processor clock, so that other jobs on the machine change the figures
// little. A render on two free cores takes at least the longer of Prepare and half the sum
// (and the file's writing besides).
// Usage: bench_session_halves [RUNS]   (3 runs; the least of each half is printed)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "session/reader.h"
#include "session/synth.h"
#include "session/synth_block.h"
#include "session/timeline.h"

namespace {

constexpr const char* kSession =
    "## One hour: a spin, a bell, a binaural and an isochronic voice\n-SE\n"
    "a: spin:300+4/20 bell+2000/10 200+10/20 300@8/10\n"
    "b: spin:500+6/20 bell+2000/10 220+6/20 320@6/10\n"
    "00:00:00 a\n00:20:00 == a ->\n00:40:00 == b\n01:00:00 b\n";

constexpr int kBlockFrames = 8192;

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const session::ReadResult read = session::ReadSessionText(kSession, "wide-hour.sbg");
    if (!read.session) {
        std::fprintf(stderr, "bench_session_halves: the session does not read\n");
        return 1;
    }
    const session::Timeline timeline = session::BuildTimeline(*read.session, 44100);
    double prepare = 1e300;
    double finish = 1e300;
    std::vector<std::int16_t> out(2 * kBlockFrames);
    for (int run = 0; run < runs; ++run) {
        session::Synth synth(timeline, 0, session::kPcm16);
        session::SynthBlock block;
        double p = 0.0;
        double f = 0.0;
        for (std::int64_t at = 0; at < timeline.end; at += kBlockFrames) {
            const int n = static_cast<int>(std::min<std::int64_t>(kBlockFrames, timeline.end - at));
            const double start = threadSeconds();
            synth.Prepare(block, n);
            const double prepared = threadSeconds();
            session::Synth::Finish(block, out.data());
            f += threadSeconds() - prepared;
            p += prepared - start;
        }
        prepare = std::min(prepare, p);
        finish = std::min(finish, f);
    }
    const double frames = static_cast<double>(timeline.end);
    std::printf("the wider voices' hour (%.0f frames) on one thread, least of %d runs:\n", frames,
                runs);
    std::printf("  Prepare (phases, noise)       %6.3f s  %5.2f ns a frame\n", prepare,
                prepare / frames * 1e9);
    std::printf("  Finish (sines, spins, mix)    %6.3f s  %5.2f ns a frame\n", finish,
                finish / frames * 1e9);
    std::printf("  two free cores need at least  %6.3f s, before the file is written\n",
                std::max(prepare, (prepare + finish) / 2));
    return 0;
}
