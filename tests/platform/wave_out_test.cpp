#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/testing/virtual_wave_device.h"
#include "platform/wave_out.h"
#include "platform/window.h"
#include "tests/support/pump.h"

using namespace plat;
using testsupport::PumpUntil;

namespace {

constexpr WAVEFORMATEX kFormat{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

class Notifications : public CWnd {
  public:
    Notifications() { CreateHidden("notify", 0); }
    LRESULT WindowProc(UINT msg, WPARAM, LPARAM lParam) override {
        if (msg == MM_WOM_OPEN || msg == MM_WOM_CLOSE || msg == MM_WOM_DONE) {
            seen.push_back({msg, reinterpret_cast<WAVEHDR*>(lParam)});
        }
        return 1;
    }
    struct Note {
        UINT msg;
        WAVEHDR* hdr;
    };
    std::vector<Note> seen;
    std::size_t count(UINT msg) const {
        std::size_t n = 0;
        for (const auto& s : seen) {
            n += s.msg == msg;
        }
        return n;
    }
};

struct Block {
    std::vector<std::int16_t> samples;
    WAVEHDR hdr{};
    explicit Block(std::int16_t fill, std::size_t frames = 64) : samples(2 * frames, fill) {
        hdr.lpData = reinterpret_cast<char*>(samples.data());
        hdr.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
    }
};

class WaveOut : public ::testing::Test {
  protected:
    void TearDown() override { VirtualWaveDevice::Uninstall(); }

    HWAVEOUT open(VirtualWaveDevice::Pace pace) {
        dev = VirtualWaveDevice::Install(pace);
        HWAVEOUT h = 0;
        EXPECT_EQ(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        return h;
    }

    std::shared_ptr<VirtualWaveDevice> dev;
    Notifications win;
};

TEST_F(WaveOut, OpenIsReportedToTheWindowAndCloseToo) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_OPEN) == 1; }));
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_CLOSE) == 1; }));
    EXPECT_EQ(dev->Opens(), 1);
    EXPECT_EQ(dev->Closes(), 1);
}

TEST_F(WaveOut, AFormatQueryOpensNothing) {
    dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &kFormat, 0, 0, WAVE_FORMAT_QUERY),
              MMSYSERR_NOERROR);
    WAVEFORMATEX mono = kFormat;
    mono.nChannels = 1;
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &mono, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    EXPECT_EQ(dev->Opens(), 0);
}

TEST_F(WaveOut, ADeviceThatCannotOpenFailsTheOpenAndSendsNothing) {
    dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    dev->SetFailOpen(true);
    HWAVEOUT h = 0;
    EXPECT_NE(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(win.seen.empty());
}

TEST_F(WaveOut, BlocksPlayInQueueOrderAndComeBackDoneInThatOrder) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    Block a(1), b(2), c(3);
    for (Block* blk : {&a, &b, &c}) {
        waveOutPrepareHeader(h, &blk->hdr, sizeof(WAVEHDR));
        ASSERT_EQ(waveOutWrite(h, &blk->hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    dev->Release(3);
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_DONE) == 3; }));
    const auto blocks = dev->Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].hdr, &a.hdr);
    EXPECT_EQ(blocks[1].hdr, &b.hdr);
    EXPECT_EQ(blocks[2].hdr, &c.hdr);
    std::vector<WAVEHDR*> done;
    for (const auto& n : win.seen) {
        if (n.msg == MM_WOM_DONE) {
            done.push_back(n.hdr);
        }
    }
    EXPECT_EQ(done, (std::vector<WAVEHDR*>{&a.hdr, &b.hdr, &c.hdr}));
    EXPECT_NE(a.hdr.dwFlags & WHDR_DONE, 0u);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, AnUnpreparedBlockIsRefused) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    Block a(1);
    EXPECT_EQ(waveOutWrite(h, &a.hdr, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, ResetStopsAtOnceAndHandsEveryQueuedBlockBackInOrder) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    Block a(1), b(2), c(3);
    for (Block* blk : {&a, &b, &c}) {
        waveOutPrepareHeader(h, &blk->hdr, sizeof(WAVEHDR));
        waveOutWrite(h, &blk->hdr, sizeof(WAVEHDR));
    }
    ASSERT_TRUE(dev->WaitForBlocks(1, std::chrono::seconds(2)));  // a is playing, held
    EXPECT_EQ(waveOutClose(h), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_DONE) == 3; }));
    EXPECT_EQ(win.seen[1].hdr, &a.hdr);
    EXPECT_EQ(win.seen[2].hdr, &b.hdr);
    EXPECT_EQ(win.seen[3].hdr, &c.hdr);
    EXPECT_EQ(dev->Blocks().size(), 1u);  // b and c never reached the device
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    EXPECT_GE(dev->Discards(), 1);
}

TEST_F(WaveOut, CallsOnAClosedHandleHaveNoEffect) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    ASSERT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    Block a(1);
    EXPECT_EQ(waveOutPrepareHeader(h, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(h, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutSetVolume(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(a.hdr.dwFlags, 0u);
}

TEST_F(WaveOut, VolumeScalesEachChannelOfACopyAndLeavesTheCallersBlock) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Immediate);
    Block a(0, 4);
    const std::int16_t in[8] = {32767, -32768, 1000, -1000, 1, -1, 20000, 12345};
    std::memcpy(a.samples.data(), in, sizeof in);
    // Left at half (0x8000), right at a quarter (0x4000).
    ASSERT_EQ(waveOutSetVolume(h, 0x8000u | (0x4000u << 16)), MMSYSERR_NOERROR);
    waveOutPrepareHeader(h, &a.hdr, sizeof(WAVEHDR));
    waveOutWrite(h, &a.hdr, sizeof(WAVEHDR));
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_DONE) == 1; }));
    const auto blocks = dev->Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    std::int16_t out[8];
    std::memcpy(out, blocks[0].bytes.data(), sizeof out);
    // sample * level / 65535, truncated toward zero.
    const std::int16_t expected[8] = {16383, -8192, 500, -250, 0, 0, 10000, 3086};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(out[i], expected[i]) << "sample " << i;
        EXPECT_EQ(a.samples[i], in[i]) << "caller's block changed at " << i;
    }
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, RealTimePaceTakesAsLongAsTheSoundLasts) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::RealTime);
    Block a(1, 4410);  // 100 ms
    waveOutPrepareHeader(h, &a.hdr, sizeof(WAVEHDR));
    const auto start = std::chrono::steady_clock::now();
    waveOutWrite(h, &a.hdr, sizeof(WAVEHDR));
    ASSERT_TRUE(PumpUntil([&] { return win.count(MM_WOM_DONE) == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

}  // namespace

namespace {

TEST_F(WaveOut, AVolumeChangeReachesBlocksAlreadyQueued) {
    const HWAVEOUT h = open(VirtualWaveDevice::Pace::Manual);
    Block a(1000), b(1000);
    for (Block* blk : {&a, &b}) {
        waveOutPrepareHeader(h, &blk->hdr, sizeof(WAVEHDR));
        waveOutWrite(h, &blk->hdr, sizeof(WAVEHDR));
    }
    ASSERT_TRUE(dev->WaitForBlocks(1, std::chrono::seconds(2)));  // a played, b queued
    waveOutSetVolume(h, 0x8000u | (0x8000u << 16));
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(2, std::chrono::seconds(2)));
    const auto blocks = dev->Blocks();
    std::int16_t first;
    std::memcpy(&first, blocks[0].bytes.data(), 2);
    EXPECT_EQ(first, 1000);
    std::memcpy(&first, blocks[1].bytes.data(), 2);
    EXPECT_EQ(first, 500);  // 1000 * 0x8000 / 65535 = 500.007
    waveOutReset(h);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

}  // namespace
