// SPDX-License-Identifier: GPL-3.0-or-later
// A sound server that goes away in the middle of playing, against a private PulseAudio
// server (ALSA's "default" reaches it through the pulse plugin).
#include <gtest/gtest.h>

#include <chrono>

#include "engine/beat_engine.h"
#include "tests/support/pulse_server.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"

using namespace plat;
using std::chrono::milliseconds;

namespace {

struct CountingEngine : CBeatEngine {
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        done += msg == MM_WOM_DONE;
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
    int done = 0;
};

TEST(DeviceFaults, ASoundServerThatGoesAwayNeitherHangsNorSpinsAndIsReportedNextTime) {
    testsupport::UserFeedback feedback;
    testsupport::PulseServer pulse;
    ASSERT_TRUE(pulse.Start());
    auto engine = std::make_unique<CountingEngine>();
    engine->SetTone(1500, 80);
    engine->OpenOutput();
    ASSERT_NE(engine->m_hWaveOut, 0u);
    testsupport::PumpFor(milliseconds(1000));  // playing
    pulse.Kill();
    engine->done = 0;
    testsupport::PumpFor(milliseconds(2000));
    // Blocks keep coming back at about the pace they would play (371.5 ms a block), not
    // in a tight loop.
    EXPECT_GE(engine->done, 2);
    EXPECT_LE(engine->done, 10);
    const auto before = std::chrono::steady_clock::now();
    engine->StopOutput();
    engine.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, milliseconds(2000));
    EXPECT_TRUE(feedback.boxes.empty());
    CBeatEngine next;
    next.SetTone(1500, 80);
    next.OpenOutput();
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Error opening waveform audio device!"});
}

}  // namespace
