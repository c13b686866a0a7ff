// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV render three ways, timed in one run: (a) `tovin-cli render`, (b) the plain loop
// (the runtime library's sin for every sample, block after block, each written out) making
// the same file, and (c) sox synthesising the same length of a 142/150 Hz sine pair.
// Checks that (a) and (b) are the same bytes and prints the times and their ratios. Each run writes
// a new file (the old one is removed first, untimed), so that none of the three pays for truncating
// the last run's 52 MB. Usage: bench_render [RUNS] [DIR] (5 runs, files in the current directory by
// default)
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/run_program.h"
#include "engine/beat_engine.h"
#include "engine/tone.h"
#include "platform/message_queue.h"

namespace {

using bench::Clock;
using bench::Times;

// One block the plain way: the tone's arithmetic one frame after another, the runtime
// library's sin for every sample.
void plainBlock(CBeatEngine& engine, std::int16_t* block) {
    const bool swap = engine.m_bSwap != 0;
    const double stepL = tone::PhaseStep(swap ? engine.m_nCarrier : engine.m_nLowFreq);
    const double stepR = tone::PhaseStep(swap ? engine.m_nLowFreq : engine.m_nCarrier);
    for (int k = 0; k < CBeatEngine::kBlockFrames; ++k) {
        block[2 * k] = tone::ToSample(engine.m_dPhaseL);
        block[2 * k + 1] = tone::ToSample(engine.m_dPhaseR);
        engine.m_dPhaseL = tone::NextPhase(engine.m_dPhaseL, stepL);
        engine.m_dPhaseR = tone::NextPhase(engine.m_dPhaseR, stepR);
    }
}

// (b): the render as a plain loop, block after block, header first and patched at the end.
double timePlainLoop(const std::string& path) {
    const auto start = Clock::now();
    CBeatEngine engine;
    engine.SetTone(1500, 80);
    std::vector<std::int16_t> block(2 * CBeatEngine::kBlockFrames);
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (file == nullptr) {
        return -1.0;
    }
    CBeatEngine::WriteWavHeader(file, 0);
    std::uint32_t total = 0;
    for (int n = 1; n <= render::kBlocks; ++n) {
        engine.m_bSwap = (n / render::kSwapRun) % 2;
        plainBlock(engine, block.data());
        total += static_cast<std::uint32_t>(
            std::fwrite(block.data(), 1, CBeatEngine::kBlockBytes, file));
    }
    CBeatEngine::WriteWavHeader(file, total);
    std::fclose(file);
    return bench::SecondsSince(start);
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = TOVIN_CLI_PATH;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string dir = argc > 2 ? argv[2] : ".";
    const std::string a = dir + "/bench-a.wav";
    const std::string b = dir + "/bench-b.wav";
    const std::string c = dir + "/bench-c.wav";

    QCoreApplication app(argc, argv);  // the playback engine of (b) has a hidden window
    plat::StartMessageQueue();

    Times ta, tb, tc;
    for (int i = 0; i < runs; ++i) {
        for (const auto& f : {a, b, c}) {
            std::remove(f.c_str());
        }
        ta.runs.push_back(
            bench::TimeProgram({cli, "render", "--carrier", "150", "--beat", "8", "-o", a}));
        tb.runs.push_back(timePlainLoop(b));
        tc.runs.push_back(bench::TimeProgram({"sox", "-n", "-r", "44100", "-b", "16", "-c", "2", c,
                                              "synth", "297.215", "sine", "142", "sine", "150"}));
        if (ta.runs.back() < 0 || tb.runs.back() < 0 || tc.runs.back() < 0) {
            std::fprintf(stderr, "bench_render: run %d failed (a %.3f, b %.3f, c %.3f)\n", i + 1,
                         ta.runs.back(), tb.runs.back(), tc.runs.back());
            return 1;
        }
    }
    const std::vector<char> bytesA = readFile(a);
    const bool same = bytesA.size() == 52428844 && bytesA == readFile(b);
    std::remove(a.c_str());
    std::remove(b.c_str());
    std::remove(c.c_str());

    std::printf("WAV render, carrier 150 Hz, beat 8 Hz: %d runs each, wall time best / median\n",
                runs);
    std::printf("  (a) tovin-cli render        %7.3f s / %7.3f s\n", ta.best(), ta.median());
    std::printf("  (b) plain per-frame loop    %7.3f s / %7.3f s\n", tb.best(), tb.median());
    std::printf("  (c) sox synth               %7.3f s / %7.3f s\n", tc.best(), tc.median());
    const double vsPlain = ta.median() / tb.median();
    const double vsSox = tc.median() / ta.median();
    std::printf("  (a) / (b) = %.2f of the plain loop's time (target at most 0.50): %s\n", vsPlain,
                vsPlain <= 0.5 ? "met" : "NOT met");
    std::printf("  (c) / (a) = %.1f times faster than sox (target at least 12): %s\n", vsSox,
                vsSox >= 12.0 ? "met" : "NOT met");
    std::printf("  (a) and (b) byte for byte: %s\n", same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}
