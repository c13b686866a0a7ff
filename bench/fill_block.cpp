// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long one FillBlock takes (median of many) beside the time the block lasts
// when played (16384 frames at 44100 Hz, 371.5 ms).
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/message_queue.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    plat::StartMessageQueue();
    CBeatEngine engine;
    engine.SetTone(1500, 80);
    std::vector<std::int16_t> block(2 * CBeatEngine::kBlockFrames);
    std::vector<double> micros;
    constexpr int kRuns = 400;
    for (int i = 0; i < kRuns; ++i) {
        engine.m_bSwap = (i / 50) % 2;
        const auto start = std::chrono::steady_clock::now();
        engine.FillBlock(block.data());
        const auto stop = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double blockMicros = 1e6 * CBeatEngine::kBlockFrames / 44100.0;
    std::printf("FillBlock: median %.1f us over %d runs (min %.1f, max %.1f)\n", median, kRuns,
                micros.front(), micros.back());
    std::printf("block plays for %.1f us: one fill takes %.3f%% of it\n", blockMicros,
                100.0 * median / blockMicros);
    return 0;
}
