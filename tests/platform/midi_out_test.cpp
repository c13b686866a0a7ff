// SPDX-License-Identifier: GPL-3.0-or-later
// midiOut* over the handle table, with the capturing device underneath.
#include <gtest/gtest.h>

#include <thread>

#include "platform/midi_out.h"
#include "platform/testing/capturing_midi_device.h"
#include "tests/support/notifications.h"
#include "tests/support/pump.h"

using namespace plat;
using Call = CapturingMidiDevice::Call;

namespace {

class MidiOut : public ::testing::Test {
  protected:
    void SetUp() override { dev = CapturingMidiDevice::Install(); }
    void TearDown() override { CapturingMidiDevice::Uninstall(); }
    HMIDIOUT open(DWORD_PTR window = 0) {
        HMIDIOUT h = 0;
        EXPECT_EQ(midiOutOpen(&h, MIDI_MAPPER, window, 0, window ? CALLBACK_WINDOW : CALLBACK_NULL),
                  MMSYSERR_NOERROR);
        return h;
    }
    std::shared_ptr<CapturingMidiDevice> dev;
    testsupport::Notifications win;
};

TEST_F(MidiOut, CallsReachTheirOwnDeviceInOrderAndTheWindowHearsOpenAndClose) {
    const HMIDIOUT a = open(win.GetSafeHwnd());
    const HMIDIOUT b = open();
    EXPECT_EQ(midiOutShortMsg(a, 0x00644E90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutSetVolume(a, 0x02920292), MMSYSERR_NOERROR);
    std::thread([&] { midiOutShortMsg(b, 0xF0); }).join();
    EXPECT_EQ(midiOutReset(a), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(a), MMSYSERR_NOERROR);
    const std::vector<std::tuple<Call, DWORD, int>> expected = {
        {Call::Open, 0, 1},          {Call::Open, 0, 2},
        {Call::Send, 0x00644E90, 1}, {Call::Volume, 0x02920292, 1},
        {Call::Send, 0xF0, 2},       {Call::Reset, 0, 1},
        {Call::Close, 0, 1}};
    std::vector<std::tuple<Call, DWORD, int>> got;
    for (const auto& e : dev->Events()) {
        got.push_back({e.call, e.value, e.device});
    }
    EXPECT_EQ(got, expected);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.seen.size() == 2; }));
    EXPECT_EQ(win.seen[0].msg, MM_MOM_OPEN);
    EXPECT_EQ(win.seen[1].msg, MM_MOM_CLOSE);
    EXPECT_EQ(win.seen[1].wParam, a);
    midiOutClose(b);
}

TEST_F(MidiOut, CallsOnAHandleNeverOpenedOrClosedHaveNoEffectButTheMonitorSeesEveryWord) {
    std::vector<std::pair<HMIDIOUT, DWORD>> seen;
    SetMidiMonitor([&](HMIDIOUT h, DWORD w) { seen.push_back({h, w}); });
    const HMIDIOUT h = open();
    midiOutShortMsg(h, 0x10);
    ASSERT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(dev->Words(), (std::vector<DWORD>{0x10}));
    dev->Clear();
    for (HMIDIOUT bad : {HMIDIOUT{0}, h, h + 1000}) {
        EXPECT_EQ(midiOutShortMsg(bad, 0x20), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutSetVolume(bad, 0xFFFFFFFF), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutReset(bad), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutClose(bad), MMSYSERR_INVALHANDLE);
    }
    EXPECT_TRUE(dev->Events().empty());
    SetMidiMonitor(nullptr);
    midiOutShortMsg(h, 0x50);
    EXPECT_EQ(seen, (std::vector<std::pair<HMIDIOUT, DWORD>>{
                        {h, 0x10}, {0, 0x20}, {h, 0x20}, {h + 1000, 0x20}}));
    dev->SetFailOpen(true);  // a device that cannot open gives no handle and no notification
    HMIDIOUT failed = 99;
    EXPECT_EQ(midiOutOpen(&failed, MIDI_MAPPER, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(midiOutOpen(&failed, 7, win.GetSafeHwnd(), 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(win.seen.empty());
}

}  // namespace
