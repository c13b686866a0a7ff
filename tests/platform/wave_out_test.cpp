// SPDX-License-Identifier: GPL-3.0-or-later
// waveOut* over the virtual device, which holds every block until the test releases it.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/testing/virtual_wave_device.h"
#include "platform/wave_out.h"
#include "tests/support/notifications.h"
#include "tests/support/pump.h"

using namespace plat;
using testsupport::PumpUntil;

namespace {

struct Block {
    std::vector<std::int16_t> samples;
    WAVEHDR hdr{};
    explicit Block(std::vector<std::int16_t> s) : samples(std::move(s)) {
        hdr.lpData = reinterpret_cast<char*>(samples.data());
        hdr.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
    }
};

class WaveOut : public ::testing::Test {
  protected:
    void SetUp() override {
        dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
        ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &testsupport::kCdFormat, win.GetSafeHwnd(), 0,
                              CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
    }
    void TearDown() override {
        waveOutReset(h);
        waveOutClose(h);
        VirtualWaveDevice::Uninstall();
    }
    void queue(std::initializer_list<Block*> blocks) {
        for (Block* b : blocks) {
            waveOutPrepareHeader(h, &b->hdr, sizeof(WAVEHDR));
            ASSERT_EQ(waveOutWrite(h, &b->hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        }
    }
    std::vector<LPARAM> done() const {
        std::vector<LPARAM> v;
        for (const auto& n : win.seen) {
            if (n.msg == MM_WOM_DONE) {
                v.push_back(n.lParam);
            }
        }
        return v;
    }
    std::vector<std::int16_t> played(std::size_t i, std::size_t count) {
        std::vector<std::int16_t> s(count);
        std::memcpy(s.data(), dev->Blocks().at(i).bytes.data(), count * 2);
        return s;
    }
    std::shared_ptr<VirtualWaveDevice> dev;
    testsupport::Notifications win;
    HWAVEOUT h = 0;
};

LPARAM of(Block& b) {
    return reinterpret_cast<LPARAM>(&b.hdr);
}

TEST_F(WaveOut, BlocksPlayInQueueOrderAndComeBackDoneInThatOrder) {
    Block a({1, 1}), b({2, 2}), c({3, 3}), unprepared({4, 4});
    EXPECT_EQ(waveOutWrite(h, &unprepared.hdr, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    queue({&a, &b, &c});
    dev->Release(3);
    ASSERT_TRUE(PumpUntil([&] { return done().size() == 3; }));
    EXPECT_EQ(done(), (std::vector<LPARAM>{of(a), of(b), of(c)}));
    EXPECT_EQ(dev->Blocks()[2].hdr, &c.hdr);
    EXPECT_NE(a.hdr.dwFlags & WHDR_DONE, 0u);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_CLOSE) == 1; }));
    EXPECT_EQ(win.seen.front().msg, MM_WOM_OPEN);
}

TEST_F(WaveOut, ResetStopsAtOnceAndHandsEveryQueuedBlockBackInOrder) {
    Block a({1, 1}), b({2, 2}), c({3, 3});
    queue({&a, &b, &c});
    ASSERT_TRUE(dev->WaitForBlocks(1, std::chrono::seconds(2)));  // a is playing, held
    EXPECT_EQ(waveOutClose(h), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil([&] { return done().size() == 3; }));
    EXPECT_EQ(done(), (std::vector<LPARAM>{of(a), of(b), of(c)}));
    EXPECT_EQ(dev->Blocks().size(), 1u);           // b and c never reached the device
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);  // and closed, it takes nothing more
    EXPECT_EQ(waveOutPrepareHeader(h, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(h, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutSetVolume(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOut, TheVolumeScalesEachChannelOfACopyFromTheNextPieceOn) {
    Block a({32767, -32768, 1000, -1000, 1, -1, 20000, 12345}), b({1000, 1000});
    // Left at half (0x8000), right at a quarter (0x4000): sample × level / 65535, truncated.
    ASSERT_EQ(waveOutSetVolume(h, 0x8000u | (0x4000u << 16)), MMSYSERR_NOERROR);
    queue({&a, &b});
    ASSERT_TRUE(dev->WaitForBlocks(1, std::chrono::seconds(2)));  // a played, b queued
    EXPECT_EQ(played(0, 8),
              (std::vector<std::int16_t>{16383, -8192, 500, -250, 0, 0, 10000, 3086}));
    EXPECT_EQ(a.samples[0], 32767);                  // the caller's block is left as it was
    waveOutSetVolume(h, 0xFFFFu | (0x0800u << 16));  // reaches the block already queued
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(2, std::chrono::seconds(2)));
    EXPECT_EQ(played(1, 2), (std::vector<std::int16_t>{1000, 31}));  // 1000 × 2048 / 65535
    waveOutReset(h);  // b's done report is made before b goes out of scope
}

TEST_F(WaveOut, AQueryOrADeviceThatFailsOpensNothingAndSendsNothing) {
    WAVEFORMATEX mono = testsupport::kCdFormat;
    mono.nChannels = 1;
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &testsupport::kCdFormat, 0, 0, WAVE_FORMAT_QUERY),
              MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &mono, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    dev->SetFailOpen(true);
    HWAVEOUT failed = 0;
    EXPECT_EQ(waveOutOpen(&failed, WAVE_MAPPER, &testsupport::kCdFormat, win.GetSafeHwnd(), 0,
                          CALLBACK_WINDOW),
              MMSYSERR_NODRIVER);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(win.seen.size(), 1u);  // the opening of the fixture's own device only
    EXPECT_EQ(dev->Opens(), 1);
}

}  // namespace
