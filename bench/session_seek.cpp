// SPDX-License-Identifier: GPL-3.0-or-later
// Seeking in a ten-hour session of six voices (pink noise, two binaural voices, an
// isochronic one, a spin and a bell, with a three-hour slide in the middle) at 44.1 kHz:
// the time to make the synthesis's checkpoints over the whole session and the memory they
// take, then the median and worst time of 50 seeks to positions spread over it, in a
// shuffled order. A player needs each seek well under 50 ms. Then checks that the frames
// after each seek are those of a synthesis that moved on to it without checkpoints.
// Usage: bench_session_seek
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "bench/run_program.h"
#include "session/reader.h"
#include "session/synth.h"
#include "session/timeline.h"

namespace {

constexpr const char* kSession =
    "## Ten hours of six voices, with a three-hour slide in the middle\n"
    "-SE\n"
    "a: pink/25 200+10/20 300@8/15 100-4/10 spin:300+4/20 bell+2000/10\n"
    "b: pink/25 220+6/20 320@6/15 110-3/10 spin:500+6/20 bell+2000/10\n"
    "00:00:00 a\n"
    "03:00:00 == a ->\n"
    "06:00:00 == b\n"
    "10:00:00 b\n";

constexpr int kSeeks = 50;
constexpr int kFrames = 4096;  // rendered after each seek, to compare

}  // namespace

int main() {
    const session::ReadResult read = session::ReadSessionText(kSession, "bench-ten-hours.sbg");
    if (!read.session) {
        std::printf("the session did not read\n");
        return 1;
    }
    const session::Timeline timeline = session::BuildTimeline(*read.session, 44100);

    session::Synth synth(timeline, 0, session::kPcm16);
    auto start = bench::Clock::now();
    synth.PrepareCheckpoints(timeline.end);
    const double build = bench::SecondsSince(start);
    const session::Synth::CheckpointUse use = synth.Checkpoints();

    // Spread over the session, each some way past a multiple of a fiftieth, then shuffled.
    std::vector<std::int64_t> at;
    std::mt19937_64 random(7);
    for (int i = 0; i < kSeeks; ++i) {
        const std::int64_t share = (timeline.end - kFrames) / kSeeks;
        at.push_back(i * share + static_cast<std::int64_t>(random() % share));
    }
    std::shuffle(at.begin(), at.end(), random);

    bench::Times seeks;
    std::vector<std::vector<std::int16_t>> got(kSeeks, std::vector<std::int16_t>(2 * kFrames));
    for (int i = 0; i < kSeeks; ++i) {
        start = bench::Clock::now();
        synth.Seek(at[i]);
        seeks.runs.push_back(bench::SecondsSince(start));
        synth.Render(got[i].data(), kFrames);
    }

    // One synthesis moving on from the start, without ever going back, to each in turn.
    std::vector<int> order(kSeeks);
    for (int i = 0; i < kSeeks; ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](int a, int b) { return at[a] < at[b]; });
    session::Synth straight(timeline, 0, session::kPcm16);
    bool exact = true;
    std::vector<std::int16_t> want(2 * kFrames);
    for (int i : order) {
        straight.Seek(at[i]);
        straight.Render(want.data(), kFrames);
        exact = exact && want == got[i];
    }

    const double worst = *std::max_element(seeks.runs.begin(), seeks.runs.end());
    std::printf("ten hours, six voices (one spin), 44.1 kHz, %d seeks:\n", kSeeks);
    std::printf("  checkpoints: %zu, every %lld frames (%.1f s), %.1f MiB, made in %.2f s\n",
                use.count, static_cast<long long>(use.spacing), use.spacing / 44100.0,
                use.bytes / 1048576.0, build);
    std::printf("  seek: median %.2f ms, worst %.2f ms\n", 1e3 * seeks.median(), 1e3 * worst);
    std::printf("  samples: %s\n", exact ? "those of moving on from the start after every seek"
                                         : "DIFFERENT from moving on from the start");
    return exact ? 0 : 1;
}
