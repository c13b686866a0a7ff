// SPDX-License-Identifier: GPL-3.0-or-later
// Starting and stopping the accompaniment, its volume, and a device that will not open.
#include <ctime>

#include "platform/midi_out.h"
#include "platform/system.h"
#include "tests/midi/midi_fixture.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"

using namespace plat;
using Call = CapturingMidiDevice::Call;
using miditest::word;

namespace {

class MidiPlayback : public miditest::CapturedEngine {
  protected:
    std::vector<std::pair<Call, DWORD>> calls() {
        std::vector<std::pair<Call, DWORD>> v;
        for (const auto& e : dev->Events()) {
            v.push_back({e.call, e.value});
        }
        return v;
    }
    testsupport::UserFeedback feedback;
};

TEST_F(MidiPlayback, StartSendsSystemOnSeedsTheMapSetsLevelOneAndEachLevelReachesAll) {
    const auto before = static_cast<unsigned>(std::time(nullptr));
    engine->StartMidi();
    const auto after = static_cast<unsigned>(std::time(nullptr));
    ASSERT_NE(engine->m_hMidiOut, 0u);
    EXPECT_EQ(engine->m_bMidiActive, 1);
    // Level 1: 655 + 3 = 658 (0x292) on the device, channel volume 28 (0x1C).
    const std::vector<std::pair<Call, DWORD>> expected = {
        {Call::Open, 0},          {Call::Send, 0xF0},         {Call::Send, 0x7E},
        {Call::Send, 0x7F},       {Call::Send, 0x09},         {Call::Send, 0x01},
        {Call::Send, 0xF7},       {Call::Volume, 0x02920292}, {Call::Send, 0x001C07B1},
        {Call::Send, 0x001C07B0}, {Call::Send, 0x001C07B2},   {Call::Send, 0x001C07B3},
        {Call::Send, 0x001C07B4}, {Call::Send, 0x001C07B9}};
    EXPECT_EQ(calls(), expected);
    // Seeded with the second it started in, then x drawn before r:
    // x = (first % 999) × 0.001 + 0.001, r = (second % 1000) × 0.001 + 3.
    bool matched = false;
    for (unsigned seed : {before, after}) {
        crt::srand(seed);
        const int dx = crt::rand();
        const int dr = crt::rand();
        matched |= engine->m_fLogX == static_cast<float>((dx % 999) * 0.001 + 0.001) &&
                   engine->m_fLogR == static_cast<float>((dr % 1000) * 0.001 + 3.0);
    }
    EXPECT_TRUE(matched);
    dev->Clear();
    crt::srand(777);
    engine->StartMidi();  // a second start sends, opens and draws nothing
    EXPECT_TRUE(dev->Events().empty());
    EXPECT_EQ(crt::rand(), miditest::kFirstOfSeed777);
    // level × 655 + 3 on both sides of the device, level + 27 on channels 2, 1, 3, 4, 5, 10.
    for (auto [level, device, value] :
         {std::tuple{100, 65503u, 127}, std::tuple{0, 3u, 27}, std::tuple{50, 32753u, 77}}) {
        dev->Clear();
        engine->SetMidiVolume(level);
        std::vector<std::pair<Call, DWORD>> expected = {{Call::Volume, device | (device << 16)}};
        for (int channel : {1, 0, 2, 3, 4, 9}) {
            expected.push_back({Call::Send, word(0xB0 + channel, 7, value)});
        }
        EXPECT_EQ(calls(), expected) << level;
    }
}

struct WatchingEngine : CBeatEngine {
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
    std::vector<UINT> seen;
};

TEST_F(MidiPlayback, StopResetsAndClosesKeepsTheHandleAndAStartOpensAfresh) {
    WatchingEngine w;
    w.StartMidi();
    const HMIDIOUT first = w.m_hMidiOut;
    dev->Clear();
    w.StopMidi();
    EXPECT_EQ(w.m_bMidiActive, 0);
    EXPECT_EQ(w.m_hMidiOut, first);
    EXPECT_EQ(calls(), (std::vector<std::pair<Call, DWORD>>{{Call::Reset, 0}, {Call::Close, 0}}));
    w.StartMidi();
    EXPECT_NE(w.m_hMidiOut, first);
    EXPECT_EQ(dev->Opens(), 2);
    // The device reports to the engine's hidden window.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return w.seen.size() == 3; }));
    EXPECT_EQ(w.seen, (std::vector<UINT>{MM_MOM_OPEN, MM_MOM_CLOSE, MM_MOM_OPEN}));
    w.StopMidi();
}

TEST_F(MidiPlayback, AFailedOpenIsReportedOnceAndTheAccompanimentStaysMarkedRunning) {
    dev->SetFailOpen(true);
    engine->StartMidi();
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Cannot open MIDI device"});
    EXPECT_EQ(feedback.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_EQ(feedback.captions[0], ApplicationName());
    EXPECT_EQ(feedback.types[0], MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(feedback.owners[0], engine->GetSafeHwnd());
    EXPECT_EQ(engine->m_bMidiActive, 1);
    EXPECT_EQ(engine->m_hMidiOut, 0u);
    engine->StopMidi();  // no device: still marked running
    EXPECT_EQ(engine->m_bMidiActive, 1);
    dev->SetFailOpen(false);
    engine->StartMidi();  // returns at once: no second message, no open
    EXPECT_EQ(feedback.boxes.size(), 1u);
    EXPECT_EQ(dev->Opens(), 0);
    engine = std::make_unique<CBeatEngine>();  // the next engine asks the device again
    engine->StartMidi();
    EXPECT_NE(engine->m_hMidiOut, 0u);
    EXPECT_EQ(feedback.boxes.size(), 1u);
}

}  // namespace
