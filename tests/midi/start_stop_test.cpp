// Starting and stopping the accompaniment, its volume, and a device that will not open.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/crt.h"
#include "platform/midi_out.h"
#include "platform/system.h"
#include "tests/midi/midi_fixture.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"

using namespace plat;
using Call = CapturingMidiDevice::Call;
using miditest::Lcg;

namespace {

class MidiPlayback : public miditest::CapturedEngine {
  protected:
    void TearDown() override {
        engine->StopMidi();
        CapturedEngine::TearDown();
    }
    testsupport::UserFeedback feedback;
};

std::vector<CapturingMidiDevice::Event> withoutOpen(
    std::vector<CapturingMidiDevice::Event> events) {
    if (!events.empty() && events.front().call == Call::Open) {
        events.erase(events.begin());
    }
    return events;
}

TEST_F(MidiPlayback, StartSendsSystemOnThenSetsLevelOne) {
    engine->StartMidi();
    ASSERT_NE(engine->m_hMidiOut, 0u);
    EXPECT_EQ(engine->m_bMidiActive, 1);
    EXPECT_TRUE(feedback.boxes.empty());

    const auto events = withoutOpen(dev->Events());
    const std::vector<std::pair<Call, DWORD>> expected = {
        {Call::Send, 0xF0},         {Call::Send, 0x7E},       {Call::Send, 0x7F},
        {Call::Send, 0x09},         {Call::Send, 0x01},       {Call::Send, 0xF7},
        {Call::Volume, 0x02920292}, {Call::Send, 0x001C07B1}, {Call::Send, 0x001C07B0},
        {Call::Send, 0x001C07B2},   {Call::Send, 0x001C07B3}, {Call::Send, 0x001C07B4},
        {Call::Send, 0x001C07B9},
    };
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(events[i].call, expected[i].first) << i;
        EXPECT_EQ(events[i].value, expected[i].second) << i;
    }
}

TEST_F(MidiPlayback, StartSeedsThisThreadFromTheClockAndDrawsXThenR) {
    const auto before = static_cast<unsigned>(std::time(nullptr));
    engine->StartMidi();
    const auto after = static_cast<unsigned>(std::time(nullptr));
    const int next = crt::rand();
    bool matched = false;
    for (unsigned seed : {before, after}) {
        Lcg g(seed);
        const int dx = g.next();
        const int dr = g.next();
        if (g.next() != next) {
            continue;
        }
        matched = true;
        EXPECT_EQ(engine->m_fLogX, static_cast<float>((dx % 999) * 0.001 + 0.001));
        EXPECT_EQ(engine->m_fLogR, static_cast<float>((dr % 1000) * 0.001 + 3.0));
    }
    EXPECT_TRUE(matched) << "the generator was not seeded from the clock with two draws";
}

TEST_F(MidiPlayback, ASecondStartSendsAndDrawsNothing) {
    engine->StartMidi();
    const float r = engine->m_fLogR;
    const float x = engine->m_fLogX;
    dev->Clear();
    crt::srand(12345);
    engine->StartMidi();
    EXPECT_TRUE(dev->Events().empty());
    EXPECT_EQ(crt::rand(), Lcg(12345).next());
    EXPECT_EQ(engine->m_fLogR, r);
    EXPECT_EQ(engine->m_fLogX, x);
    EXPECT_EQ(dev->Opens(), 1);
}

TEST_F(MidiPlayback, VolumeLevelsMapToTheDeviceAndEveryChannel) {
    engine->StartMidi();
    for (auto [level, device, value] :
         {std::tuple{100, 65503u, 127u}, std::tuple{0, 3u, 27u}, std::tuple{50, 32753u, 77u}}) {
        dev->Clear();
        engine->SetMidiVolume(level);
        const auto events = dev->Events();
        ASSERT_EQ(events.size(), 7u);
        EXPECT_EQ(events[0].call, Call::Volume);
        EXPECT_EQ(events[0].value, device | (device << 16)) << level;
        int i = 1;
        for (int channel : {1, 0, 2, 3, 4, 9}) {
            EXPECT_EQ(events[i].call, Call::Send);
            EXPECT_EQ(events[i].value, miditest::word(0xB0 + channel, 7, value)) << level;
            ++i;
        }
    }
}

TEST_F(MidiPlayback, StopResetsAndClosesTheDeviceAndKeepsTheHandle) {
    engine->StartMidi();
    const HMIDIOUT h = engine->m_hMidiOut;
    dev->Clear();
    engine->StopMidi();
    EXPECT_EQ(engine->m_bMidiActive, 0);
    EXPECT_EQ(engine->m_hMidiOut, h);
    const auto events = dev->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].call, Call::Reset);
    EXPECT_EQ(events[1].call, Call::Close);

    // The closed device takes nothing more; a second stop changes nothing.
    engine->SetMidiVolume(80);
    engine->StopMidi();
    EXPECT_EQ(dev->Events().size(), 2u);
    EXPECT_EQ(engine->m_bMidiActive, 0);
    EXPECT_EQ(dev->CallsAfterClose(), 0);
}

TEST_F(MidiPlayback, StopWithoutAStartDoesNothing) {
    engine->StopMidi();
    EXPECT_EQ(engine->m_bMidiActive, 0);
    EXPECT_EQ(engine->m_hMidiOut, 0u);
    EXPECT_TRUE(dev->Events().empty());
}

TEST_F(MidiPlayback, AStartAfterAStopOpensTheDeviceAfresh) {
    engine->StartMidi();
    const HMIDIOUT first = engine->m_hMidiOut;
    engine->StopMidi();
    engine->StartMidi();
    EXPECT_EQ(engine->m_bMidiActive, 1);
    EXPECT_NE(engine->m_hMidiOut, 0u);
    EXPECT_NE(engine->m_hMidiOut, first);
    EXPECT_EQ(dev->Opens(), 2);
}

class WatchingEngine : public CBeatEngine {
  public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
    std::vector<UINT> seen;
};

TEST_F(MidiPlayback, TheDeviceReportsToTheEnginesHiddenWindow) {
    auto watching = std::make_unique<WatchingEngine>();
    WatchingEngine& w = *watching;
    engine = std::move(watching);
    engine->StartMidi();
    engine->StopMidi();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return w.seen.size() == 2; }));
    EXPECT_EQ(w.seen, (std::vector<UINT>{MM_MOM_OPEN, MM_MOM_CLOSE}));
}

TEST_F(MidiPlayback, AFailedOpenIsReportedOnceAndTheAccompanimentStaysMarkedRunning) {
    dev->SetFailOpen(true);
    engine->StartMidi();
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Cannot open MIDI device"});
    EXPECT_EQ(feedback.captions, std::vector<std::string>{ApplicationName()});
    EXPECT_EQ(feedback.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_EQ(engine->m_bMidiActive, 1);
    EXPECT_EQ(engine->m_hMidiOut, 0u);
    // The rest of the start still ran: the map was drawn from this thread's generator.
    EXPECT_GE(engine->m_fLogR, 3.0f);
    EXPECT_LE(engine->m_fLogR, 3.999f);

    engine->StopMidi();
    EXPECT_EQ(engine->m_bMidiActive, 1);

    dev->SetFailOpen(false);
    crt::srand(777);
    engine->StartMidi();  // returns at once: no second message, no draw, no open
    EXPECT_EQ(feedback.boxes.size(), 1u);
    EXPECT_EQ(crt::rand(), Lcg(777).next());
    EXPECT_EQ(dev->Opens(), 0);
    EXPECT_TRUE(dev->Events().empty());

    // The next engine asks the device again.
    engine = std::make_unique<CBeatEngine>();
    engine->StartMidi();
    EXPECT_NE(engine->m_hMidiOut, 0u);
    EXPECT_EQ(dev->Opens(), 1);
    EXPECT_EQ(feedback.boxes.size(), 1u);
}

TEST_F(MidiPlayback, TheMessageBoxBelongsToTheEnginesWindow) {
    HWND owner = 0;
    plat::SetMessageBoxHandler([&](HWND h, const std::string&, const std::string&, UINT type) {
        owner = h;
        EXPECT_EQ(type, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    });
    dev->SetFailOpen(true);
    engine->StartMidi();
    EXPECT_EQ(owner, engine->GetSafeHwnd());
    EXPECT_NE(owner, 0u);
}

}  // namespace
