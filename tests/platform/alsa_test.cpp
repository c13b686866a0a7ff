// The real ALSA backend, run without a sound card: ALSA's own "file" plugin in front of a
// "null" device records what the program writes to the PCM "default".
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/wave_out.h"
#include "platform/window.h"
#include "tests/support/pump.h"
#include "tests/support/wave_notifications.h"

using namespace plat;

namespace {

constexpr WAVEFORMATEX kFormat = testsupport::kCdFormat;
using Done = testsupport::WaveNotifications;

class Alsa : public ::testing::Test {
  protected:
    void useConfig(const std::string& pcmDefault) {
        ASSERT_TRUE(dir.isValid());
        const std::string conf = dir.filePath("asound.conf").toStdString();
        std::ofstream(conf) << pcmDefault;
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    Done win;
};

TEST_F(Alsa, TheDeviceReceivesExactlyTheBlocksInOrderScaledByTheVolume) {
    const std::string raw = path("out.raw");
    useConfig("pcm.!default { type file; slave.pcm { type null }; file \"" + raw +
              "\"; format \"raw\" }\n");

    constexpr int kFrames = 4096;
    std::vector<std::vector<std::int16_t>> blocks(3, std::vector<std::int16_t>(2 * kFrames));
    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < 2 * kFrames; ++i) {
            blocks[b][i] = static_cast<std::int16_t>((b + 1) * 1000 + (i % 2 == 0 ? i : -i));
        }
    }
    std::vector<WAVEHDR> hdrs(3);

    HWAVEOUT h = 0;
    ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    // Left at 0xC000, right at 0x4000.
    waveOutSetVolume(h, 0xC000u | (0x4000u << 16));
    for (int b = 0; b < 3; ++b) {
        hdrs[b].lpData = reinterpret_cast<char*>(blocks[b].data());
        hdrs[b].dwBufferLength = 4 * kFrames;
        waveOutPrepareHeader(h, &hdrs[b], sizeof(WAVEHDR));
        waveOutWrite(h, &hdrs[b], sizeof(WAVEHDR));
    }
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.done == 3; }));
    ASSERT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.closed == 1; }));

    std::ifstream in(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 3u * 4 * kFrames);
    const auto* got = reinterpret_cast<const std::int16_t*>(bytes.data());
    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < 2 * kFrames; ++i) {
            const int level = i % 2 == 0 ? 0xC000 : 0x4000;
            const int expected = blocks[b][i] * level / 65535;
            ASSERT_EQ(got[b * 2 * kFrames + i], expected) << "block " << b << " sample " << i;
        }
    }
}

TEST_F(Alsa, ADefaultDeviceThatDoesNotExistCannotBeOpened) {
    useConfig("pcm.!default { type hw; card 99; device 0 }\n");
    HWAVEOUT h = 0;
    EXPECT_NE(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    testsupport::PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(win.done + win.closed, 0);
}

TEST_F(Alsa, ResetThrowsAwayQueuedSoundAndTheDeviceCanGoOn) {
    const std::string raw = path("reset.raw");
    useConfig("pcm.!default { type file; slave.pcm { type null }; file \"" + raw +
              "\"; format \"raw\" }\n");
    std::vector<std::int16_t> samples(2 * 16384, 7);
    std::vector<WAVEHDR> hdrs(4);
    HWAVEOUT h = 0;
    ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    for (auto& hdr : hdrs) {
        hdr.lpData = reinterpret_cast<char*>(samples.data());
        hdr.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
        waveOutPrepareHeader(h, &hdr, sizeof(WAVEHDR));
    }
    for (int i = 0; i < 3; ++i) {
        waveOutWrite(h, &hdrs[i], sizeof(WAVEHDR));
    }
    ASSERT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.done == 3; }));
    waveOutWrite(h, &hdrs[3], sizeof(WAVEHDR));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.done == 4; }));
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

}  // namespace
