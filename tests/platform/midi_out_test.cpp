// The MIDI output calls over the handle table, with the capturing device underneath.
#include <gtest/gtest.h>

#include <thread>

#include "platform/midi_out.h"
#include "platform/midi_sink.h"
#include "platform/testing/capturing_midi_device.h"
#include "platform/window.h"
#include "tests/support/pump.h"

using namespace plat;
using Call = CapturingMidiDevice::Call;
using testsupport::PumpUntil;

namespace {

class Notifications : public CWnd {
  public:
    Notifications() { CreateHidden("notify", 0); }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override {
        seen.push_back({msg, wParam});
        return 1;
    }
    std::vector<std::pair<UINT, WPARAM>> seen;
};

class MidiOut : public ::testing::Test {
  protected:
    void SetUp() override { dev = CapturingMidiDevice::Install(); }
    void TearDown() override {
        SetMidiMonitor(nullptr);
        CapturingMidiDevice::Uninstall();
    }

    HMIDIOUT open() {
        HMIDIOUT h = 0;
        EXPECT_EQ(midiOutOpen(&h, MIDI_MAPPER, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        return h;
    }

    std::shared_ptr<CapturingMidiDevice> dev;
    Notifications win;
};

TEST_F(MidiOut, OpenAndCloseAreReportedToTheWindowWithTheHandle) {
    const HMIDIOUT h = open();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil([&] { return win.seen.size() == 2; }));
    EXPECT_EQ(win.seen[0], (std::pair<UINT, WPARAM>{MM_MOM_OPEN, h}));
    EXPECT_EQ(win.seen[1], (std::pair<UINT, WPARAM>{MM_MOM_CLOSE, h}));
}

TEST_F(MidiOut, WordsVolumeAndResetReachTheDeviceUnchangedAndInOrder) {
    const HMIDIOUT h = open();
    EXPECT_EQ(midiOutShortMsg(h, 0xF0), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x00644E90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutSetVolume(h, 0x02920292), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    const auto events = dev->Events();
    ASSERT_EQ(events.size(), 6u);
    const Call calls[] = {Call::Open,   Call::Send,  Call::Send,
                          Call::Volume, Call::Reset, Call::Close};
    const DWORD values[] = {0, 0xF0, 0x00644E90, 0x02920292, 0, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(events[i].call, calls[i]) << i;
        EXPECT_EQ(events[i].value, values[i]) << i;
        EXPECT_EQ(events[i].thread, std::this_thread::get_id());
        EXPECT_EQ(events[i].device, 1);
    }
}

TEST_F(MidiOut, CallsOnAHandleNeverOpenedOrClosedHaveNoEffect) {
    const HMIDIOUT h = open();
    ASSERT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    dev->Clear();
    for (HMIDIOUT bad : {HMIDIOUT{0}, h, h + 1000}) {
        EXPECT_EQ(midiOutShortMsg(bad, 0x00644E90), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutSetVolume(bad, 0xFFFFFFFF), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutReset(bad), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutClose(bad), MMSYSERR_INVALHANDLE);
    }
    EXPECT_TRUE(dev->Events().empty());
    EXPECT_EQ(dev->CallsAfterClose(), 0);
}

TEST_F(MidiOut, HandlesAreNeverReusedAndDevicesAreIndependent) {
    const HMIDIOUT a = open();
    const HMIDIOUT b = open();
    ASSERT_EQ(midiOutClose(a), MMSYSERR_NOERROR);
    const HMIDIOUT c = open();
    EXPECT_NE(a, b);
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    dev->Clear();
    midiOutShortMsg(b, 0x11);
    midiOutShortMsg(c, 0x22);
    midiOutShortMsg(a, 0x33);
    const auto events = dev->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].device, 2);
    EXPECT_EQ(events[1].device, 3);
    midiOutClose(b);
    midiOutClose(c);
}

TEST_F(MidiOut, ADeviceThatCannotOpenGivesNoHandleAndNoNotification) {
    dev->SetFailOpen(true);
    HMIDIOUT h = 99;
    EXPECT_EQ(midiOutOpen(&h, MIDI_MAPPER, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(midiOutOpen(&h, 7, win.GetSafeHwnd(), 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(win.seen.empty());
    EXPECT_EQ(dev->Opens(), 0);
}

TEST_F(MidiOut, WithoutAWindowNothingIsPosted) {
    HMIDIOUT h = 0;
    ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    midiOutClose(h);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(win.seen.empty());
}

TEST_F(MidiOut, TheMonitorSeesEveryWordWhateverTheHandleOnTheSendingThread) {
    std::vector<std::pair<HMIDIOUT, DWORD>> seen;
    std::vector<std::thread::id> threads;
    SetMidiMonitor([&](HMIDIOUT h, DWORD w) {
        seen.push_back({h, w});
        threads.push_back(std::this_thread::get_id());
    });
    const HMIDIOUT h = open();
    midiOutShortMsg(h, 0x10);
    midiOutShortMsg(0, 0x20);
    std::thread([&] { midiOutShortMsg(h, 0x30); }).join();
    midiOutClose(h);
    midiOutShortMsg(h, 0x40);
    SetMidiMonitor(nullptr);
    midiOutShortMsg(0, 0x50);
    EXPECT_EQ(seen, (std::vector<std::pair<HMIDIOUT, DWORD>>{
                        {h, 0x10}, {0, 0x20}, {h, 0x30}, {h, 0x40}}));
    ASSERT_EQ(threads.size(), 4u);
    EXPECT_EQ(threads[0], std::this_thread::get_id());
    EXPECT_NE(threads[2], std::this_thread::get_id());
    EXPECT_EQ(dev->Words(), (std::vector<DWORD>{0x10, 0x30}));
}

}  // namespace
