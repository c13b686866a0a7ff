// SPDX-License-Identifier: GPL-3.0-or-later
// Seeking in a ten-hour session of six voices (pink noise, two binaural voices, an
// isochronic one, a spin and a bell, with a three-hour slide in the middle) at 44.1 kHz:
// the time to make the synthesis's checkpoints over the whole session and the memory they
// take, then the median and worst time of 50 seeks to positions spread over it, in a
// shuffled order. A player needs each seek well under 50 ms. Then checks that the frames
// after each seek are those of a synthesis that moved on to it without checkpoints.
// Then the player's way: the session plays (a block of a tenth of a second every tenth of
// a second) while its helper thread makes the checkpoints ahead; one, two, four and eight
// seconds in, how far it has got and a seek to there, then the same 50 seeks once it is done.
// A seek further than the helper has got waits for it to get there.
// Usage: bench_session_seek
#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "bench/run_program.h"
#include "player/play_item.h"
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
constexpr int kBlock = 4410;   // the player's block

// Seeks to each of `at` in turn, rendering kFrames after each into `got`.
bench::Times seekEach(session::Synth& synth, const std::vector<std::int64_t>& at,
                      std::vector<std::vector<std::int16_t>>& got) {
    bench::Times seeks;
    for (std::size_t i = 0; i < at.size(); ++i) {
        const auto start = bench::Clock::now();
        synth.Seek(at[i]);
        seeks.runs.push_back(bench::SecondsSince(start));
        got[i].resize(2 * kFrames);
        synth.Render(got[i].data(), kFrames);
    }
    return seeks;
}

double worst(const bench::Times& t) {
    return *std::max_element(t.runs.begin(), t.runs.end());
}

// Plays the item in real time from the start while a helper makes its checkpoints, seeking
// as far as it has got now and then (and back); then seeks to each of `at`.
bool playWithHelper(const std::shared_ptr<const player::PlayItem>& item,
                    const std::vector<std::int64_t>& at,
                    const std::vector<std::vector<std::int16_t>>& want) {
    std::vector<std::int16_t> block(2 * kBlock);
    const auto start = bench::Clock::now();
    player::ItemSound sound(item, 0);  // starts the helper, as the player does
    session::Synth& playing = sound.Synth();
    double done = 0.0;
    int blocks = 0;
    std::printf("with the checkpoints made ahead while it plays:\n");
    for (const double probe : {1.0, 2.0, 4.0, 8.0, 1e9}) {
        while (bench::SecondsSince(start) < probe &&
               sound.CheckpointsMadeTo() != session::kEndless) {
            std::this_thread::sleep_until(start + blocks * std::chrono::milliseconds(100));
            playing.Render(block.data(), kBlock);
            sound.Collect();
            ++blocks;
        }
        const std::int64_t madeTo = sound.CheckpointsMadeTo();
        if (madeTo == session::kEndless) {
            done = bench::SecondsSince(start);
            break;
        }
        // A seek to a frame the helper has passed, as far from the start as can be.
        const std::int64_t back = playing.Position();
        const auto seekStart = bench::Clock::now();
        sound.Seek(std::max<std::int64_t>(madeTo - 1, 0));
        const double took = bench::SecondsSince(seekStart);
        sound.Seek(back);
        std::printf("  %.0f s in: made up to %.2f h; a seek there takes %.1f ms\n", probe,
                    madeTo / 44100.0 / 3600, 1e3 * took);
    }
    sound.Collect();
    const session::Synth::CheckpointUse use = playing.Checkpoints();
    std::printf("  all made in %.1f s of play: %zu, every %lld frames, %.1f MiB\n", done, use.count,
                static_cast<long long>(use.spacing), use.bytes / 1048576.0);
    std::vector<std::vector<std::int16_t>> got(at.size());
    const bench::Times seeks = seekEach(playing, at, got);
    std::printf("  then %zu seeks: median %.2f ms, worst %.2f ms\n", at.size(),
                1e3 * seeks.median(), 1e3 * worst(seeks));
    return got == want;
}

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

    std::vector<std::vector<std::int16_t>> got(kSeeks);
    const bench::Times seeks = seekEach(synth, at, got);

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

    std::printf("ten hours, six voices (one spin), 44.1 kHz, %d seeks:\n", kSeeks);
    std::printf("  checkpoints: %zu, every %lld frames (%.1f s), %.1f MiB, made in %.2f s\n",
                use.count, static_cast<long long>(use.spacing), use.spacing / 44100.0,
                use.bytes / 1048576.0, build);
    std::printf("  seek: median %.2f ms, worst %.2f ms\n", 1e3 * seeks.median(),
                1e3 * worst(seeks));
    std::printf("  samples: %s\n", exact ? "those of moving on from the start after every seek"
                                         : "DIFFERENT from moving on from the start");

    auto item = std::make_shared<player::PlayItem>();
    item->session = *read.session;
    item->timeline = timeline;
    const bool same = playWithHelper(item, at, got);
    std::printf("  samples: %s\n", same ? "the same as above" : "DIFFERENT from above");
    return exact && same ? 0 : 1;
}
