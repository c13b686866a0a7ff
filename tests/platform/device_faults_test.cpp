// SPDX-License-Identifier: GPL-3.0-or-later
// A sound server that goes away in the middle of playing, against a private PulseAudio
// server (ALSA's "default" reaches it through the pulse plugin).
#include <gtest/gtest.h>

#include <chrono>

#include "engine/beat_engine.h"
#include "player/session_player.h"
#include "session/reader.h"
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

// The session player, unlike the tone, waits for the server to come back and goes on from
// the frame it had played: the first block after it is the one that follows that frame.
// That frame lies before the end of the last block handed over, by what the server still
// held unplayed.
TEST(DeviceFaults, ASessionWaitsForTheSoundServerAndGoesOnWhereItStopped) {
    testsupport::PulseServer pulse;
    ASSERT_TRUE(pulse.Start());
    auto item = std::make_shared<player::PlayItem>();
    item->session =
        *session::ReadSessionText("-SE\na: 200+10/30\n0:00:00 a\n0:01:00 a\n", "t.sbg").session;
    item->timeline = session::BuildTimeline(item->session, 44100);
    std::vector<player::PlayerState> states;
    player::SessionPlayer p(item, [&](const player::PlayerState& s) { states.push_back(s); });
    ASSERT_TRUE(p.Play(0));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return p.State().position >= 44100; }));
    pulse.Kill();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return p.State().waiting; }, milliseconds(10000)));
    const std::int64_t stopped = p.State().position;
    const std::size_t waitedAt = states.size();
    EXPECT_LT(stopped, states[waitedAt - 2].position) << "the last block handed over";
    testsupport::PumpFor(milliseconds(1200));  // the retries fail while there is no server
    ASSERT_TRUE(p.State().waiting && pulse.Start());
    ASSERT_TRUE(
        testsupport::PumpUntil([&] { return states.size() > waitedAt + 1; }, milliseconds(10000)));
    EXPECT_TRUE(!states[waitedAt].waiting && states[waitedAt].position == stopped);
    EXPECT_EQ(states[waitedAt + 1].position, stopped + player::SessionPlayer::BlockFrames(44100));
}

}  // namespace
