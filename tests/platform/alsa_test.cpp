// SPDX-License-Identifier: GPL-3.0-or-later
// The real ALSA backend without a sound card: ALSA's "file" plugin records what reaches the
// PCM "default", in front of the null device (at once) or the paced one (in real time).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/wave_out.h"
#include "tests/support/notifications.h"
#include "tests/support/paced_device.h"
#include "tests/support/pump.h"
#include "tests/support/read_file.h"

using namespace plat;

namespace {

class Alsa : public ::testing::Test {
  protected:
    // Opens the default device, which records into out.raw in front of `slave`.
    void open(const std::string& slave, const std::string& extra = "") {
        std::ofstream(conf) << extra << "pcm.!default { type file; slave.pcm " << slave
                            << "; file \"" << raw << "\"; format \"raw\" }\n";
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
        ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &testsupport::kCdFormat, win.GetSafeHwnd(), 0,
                              CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
    }
    void play(std::vector<std::int16_t>& samples, WAVEHDR& hdr, long done) {
        hdr.lpData = reinterpret_cast<char*>(samples.data());
        hdr.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
        waveOutPrepareHeader(h, &hdr, sizeof(WAVEHDR));
        waveOutWrite(h, &hdr, sizeof(WAVEHDR));
        ASSERT_TRUE(testsupport::PumpUntil([&] { return win.count(MM_WOM_DONE) == done; }));
    }
    QTemporaryDir dir;
    std::string conf = dir.filePath("asound.conf").toStdString();
    std::string raw = dir.filePath("out.raw").toStdString();
    testsupport::Notifications win;
    HWAVEOUT h = 0;
};

TEST_F(Alsa, TheDeviceReceivesExactlyTheBlocksInOrderScaledByTheVolume) {
    open("{ type null }");
    waveOutSetVolume(h, 0xC000u | (0x4000u << 16));  // left at 0xC000, right at 0x4000
    std::vector<std::vector<std::int16_t>> blocks(3, std::vector<std::int16_t>(8192));
    std::vector<WAVEHDR> hdrs(3);
    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < 8192; ++i) {
            blocks[b][i] = static_cast<std::int16_t>((b + 1) * 1000 + (i % 2 == 0 ? i : -i));
        }
        play(blocks[b], hdrs[b], b + 1);
    }
    ASSERT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    const testsupport::Bytes bytes = testsupport::ReadAll(raw);
    ASSERT_EQ(bytes.size(), 3u * 8192 * 2);
    const auto* got = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (int i = 0; i < 3 * 8192; ++i) {
        const int expected = blocks[i / 8192][i % 8192] * (i % 2 == 0 ? 0xC000 : 0x4000) / 65535;
        ASSERT_EQ(got[i], expected) << "sample " << i;
    }
}

TEST_F(Alsa, PlayingGoesOnAfterAnUnderrunAndAfterAReset) {
    open("{ type tovin_paced }", testsupport::PacedDeviceType());
    std::vector<std::int16_t> first(2 * 13230, 1000), second(2 * 13230, 2000);  // 300 ms each
    WAVEHDR hdrs[5] = {};
    play(first, hdrs[0], 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // the device runs dry
    play(second, hdrs[1], 2);
    for (int i = 2; i < 5; ++i) {  // three queued, then thrown away
        hdrs[i].lpData = hdrs[0].lpData;
        hdrs[i].dwBufferLength = hdrs[0].dwBufferLength;
        waveOutPrepareHeader(h, &hdrs[i], sizeof(WAVEHDR));
        waveOutWrite(h, &hdrs[i], sizeof(WAVEHDR));
    }
    ASSERT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.count(MM_WOM_DONE) == 5; }));
    play(second, hdrs[1], 6);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    const testsupport::Bytes bytes = testsupport::ReadAll(raw);
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.data());
    EXPECT_EQ(std::count(s, s + bytes.size() / 2, 2000), 2 * 2 * 13230);  // both seconds, whole
}

}  // namespace
