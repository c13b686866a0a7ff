// The render as the window and tovin-cli use it: the file it leaves, the tone in it, and
// what happens when the file cannot be made or written.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/mm_timer.h"
#include "platform/ports.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "platform/version.h"
#include "tests/engine/reference_tone.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/read_file.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Status = RenderResult::Status;

constexpr std::size_t kHeader = 44;
constexpr std::size_t kBlockBytes = 65536;
constexpr int kFrames = 16384;

Bytes readAll(const std::string& path) {
    return testsupport::ReadAll(path);
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::vector<std::int16_t> samplesAt(const Bytes& file, std::size_t offset, std::size_t count) {
    std::vector<std::int16_t> s(count);
    std::memcpy(s.data(), file.data() + offset, 2 * count);
    return s;
}

// The render's tone worked out independently: block n (from 1) has the channels exchanged
// when n / 50 is odd; `lo` and `hi` in hertz. Compares `blocks` blocks of the file's
// sound, starting right after the header, and then `extraFrames` frames more.
void expectTone(const Bytes& file, double lo, double hi, int blocks, int extraFrames = 0) {
    reference::Channel left;
    reference::Channel right;
    std::vector<std::int16_t> want(2 * kFrames);
    for (int n = 1; n <= blocks + (extraFrames > 0 ? 1 : 0); ++n) {
        const bool swapped = (n / 50) % 2 == 1;
        const int frames = n <= blocks ? kFrames : extraFrames;
        reference::Fill(left, right, swapped ? hi : lo, swapped ? lo : hi, want.data(), frames);
        const std::size_t at = kHeader + (n - 1) * kBlockBytes;
        ASSERT_LE(at + 4 * frames, file.size()) << "block " << n;
        if (std::memcmp(file.data() + at, want.data(), 4 * frames) != 0) {
            ASSERT_EQ(samplesAt(file, at, 2 * frames),
                      std::vector<std::int16_t>(want.begin(), want.begin() + 2 * frames))
                << "block " << n;
        }
    }
}

// Answers the version query as a system whose programs drive the speaker, so that a port
// write anywhere would show in the port log.
struct SpeakerFamily {
    SpeakerFamily() {
        plat::testing::SetVersionQuery([](plat::OSVERSIONINFOA* info) {
            info->dwPlatformId = plat::VER_PLATFORM_WIN32_WINDOWS;
            return plat::TRUE;
        });
    }
    ~SpeakerFamily() { plat::testing::SetVersionQuery(nullptr); }
};

class Render : public ::testing::Test {
  protected:
    void SetUp() override {
        plat::testing::ClearPortLog();
        device = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
    }
    void TearDown() override {
        plat::VirtualWaveDevice::Uninstall();
        crt::testing::failAllocation(0);
    }
    std::string path(const char* name) { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    SpeakerFamily family;
    std::shared_ptr<plat::VirtualWaveDevice> device;
};

TEST_F(Render, AFinishedFileHoldsTheWholeToneWithItsExchangesAndTheFinalHeader) {
    const std::string p = path("tovin.wav");
    RenderToFile job(1500, 80, p.c_str());
    std::vector<int> progress;
    std::vector<Bytes> midway;  // the file as it stood after blocks 1, 49 and 400
    job.progress = [&](int blocks) {
        progress.push_back(blocks);
        if (blocks == 1 || blocks == 49 || blocks == 400) {
            midway.push_back(readAll(p));
        }
    };
    CBeatEngine render(job);
    EXPECT_EQ(render.m_renderResult.status, Status::Complete);
    EXPECT_EQ(render.m_renderResult.sampleBytes, 52428800u);

    ASSERT_EQ(progress.size(), 800u);
    for (int i = 0; i < 800; ++i) {
        ASSERT_EQ(progress[i], i + 1);
    }
    // Each block is in the file as soon as it is made, behind the placeholder header.
    ASSERT_EQ(midway.size(), 3u);
    const int blocksThen[] = {1, 49, 400};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(midway[i].size(), kHeader + blocksThen[i] * kBlockBytes);
        EXPECT_EQ(le32(midway[i], 4), 36u) << "after block " << blocksThen[i];
        EXPECT_EQ(le32(midway[i], 40), 0u) << "after block " << blocksThen[i];
    }

    const Bytes file = readAll(p);
    ASSERT_EQ(file.size(), 52428844u);
    const Bytes header(file.begin(), file.begin() + kHeader);
    const Bytes expected = {'R',  'I',  'F',  'F',  0x24, 0x00, 0x20, 0x03, 'W',  'A',  'V',
                            'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                            0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04,
                            0x00, 0x10, 0x00, 'd',  'a',  't',  'a',  0x00, 0x00, 0x20, 0x03};
    EXPECT_EQ(header, expected);

    // The first frames, worked by hand: trunc(sin(k × 6.28318 × f / 44100) × 32768) for
    // f = 142 on the left and 150 on the right.
    EXPECT_EQ(samplesAt(file, kHeader, 8),
              (std::vector<std::int16_t>{0, 0, 662, 700, 1325, 1400, 1987, 2099}));
    // Every block, exchanges at 49/50, 99/100, ..., 799/800 included.
    expectTone(file, 142.0, 150.0, 800);
}

TEST_F(Render, ACarrierOutOfRangeIsRenderedAt150HzLessTheBeat) {
    const std::string p = path("low.wav");
    // Room for 51 blocks: the run before the first exchange and two blocks after it.
    testsupport::FileSizeLimit limit(kHeader + 51 * kBlockBytes);
    CBeatEngine render(RenderToFile{9000, 100, p.c_str()});
    EXPECT_EQ(render.m_nCarrier, 1500);
    EXPECT_EQ(render.m_nLowFreq, 1400);
    const Bytes file = readAll(p);
    ASSERT_EQ(file.size(), kHeader + 51 * kBlockBytes);
    expectTone(file, 140.0, 150.0, 51);
}

TEST_F(Render, TheLowerToneOf2200And120Is208Hz) {
    const std::string p = path("high.wav");
    testsupport::FileSizeLimit limit(kHeader + 51 * kBlockBytes);
    CBeatEngine render(RenderToFile{2200, 120, p.c_str()});
    expectTone(readAll(p), 208.0, 220.0, 51);
}

TEST_F(Render, AWriteThatFailsStopsTheRenderAndTheHeaderStatesWhatIsThere) {
    const std::string p = path("short.wav");
    // Three blocks and 1002 bytes of the fourth: 250 whole frames and half of one more.
    const std::size_t room = kHeader + 3 * kBlockBytes + 1002;
    std::vector<int> progress;
    {
        testsupport::FileSizeLimit limit(room);
        RenderToFile job(1500, 80, p.c_str());
        job.progress = [&](int blocks) { progress.push_back(blocks); };
        CBeatEngine render(job);
        EXPECT_EQ(render.m_renderResult.status, Status::WriteFailed);
        EXPECT_EQ(render.m_renderResult.error, EFBIG);
        EXPECT_EQ(render.m_renderResult.sampleBytes, 3 * kBlockBytes + 1000);
    }
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    const Bytes file = readAll(p);
    ASSERT_EQ(file.size(), room);
    EXPECT_EQ(le32(file, 40), 3 * kBlockBytes + 1000);  // never the full length
    EXPECT_EQ(le32(file, 4), 3 * kBlockBytes + 1000 + 36);
    expectTone(file, 142.0, 150.0, 3, 250);
}

TEST_F(Render, AWriteThatFailsAtOnceLeavesNoClaimOfSound) {
    CBeatEngine render(RenderToFile{1500, 80, "/dev/full"});
    EXPECT_EQ(render.m_renderResult.status, Status::WriteFailed);
    EXPECT_EQ(render.m_renderResult.error, ENOSPC);
    EXPECT_EQ(render.m_renderResult.sampleBytes, 0u);
}

TEST_F(Render, ASecondRenderReplacesTheFirstEntirely) {
    const std::string p = path("again.wav");
    {
        testsupport::FileSizeLimit limit(kHeader + 51 * kBlockBytes);
        CBeatEngine first(RenderToFile{2200, 120, p.c_str()});
    }
    ASSERT_EQ(readAll(p).size(), kHeader + 51 * kBlockBytes);
    {
        testsupport::FileSizeLimit limit(kHeader + 10 * kBlockBytes);
        CBeatEngine second(RenderToFile{1500, 80, p.c_str()});
    }
    const Bytes file = readAll(p);
    ASSERT_EQ(file.size(), kHeader + 10 * kBlockBytes);  // nothing of the first is left
    EXPECT_EQ(le32(file, 40), 10 * kBlockBytes);
    expectTone(file, 142.0, 150.0, 10);  // from phase 0 again
}

TEST_F(Render, AFileThatCannotBeCreatedLeavesNoFile) {
    const std::string p = path("missing/tovin.wav");
    bool progressed = false;
    RenderToFile job(1500, 80, p.c_str());
    job.progress = [&](int) { progressed = true; };
    CBeatEngine render(job);
    EXPECT_EQ(render.m_renderResult.status, Status::CannotCreate);
    EXPECT_EQ(render.m_renderResult.error, ENOENT);
    EXPECT_FALSE(progressed);
    EXPECT_FALSE(std::filesystem::exists(p));
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
}

TEST_F(Render, WithoutMemoryForTheBlockTheFileIsLeftAsItWas) {
    const std::string p = path("kept.wav");
    std::ofstream(p) << "an older file";
    crt::testing::failAllocation(1);  // the render's one allocation
    CBeatEngine render(RenderToFile{1500, 80, p.c_str()});
    EXPECT_EQ(render.m_renderResult.status, Status::NoMemory);
    const Bytes file = readAll(p);
    EXPECT_EQ(std::string(file.begin(), file.end()), "an older file");
}

TEST_F(Render, ARenderObjectHasNoWindowNoDeviceAndNoTickAndItsDestructionTouchesNone) {
    const int reservedBefore = plat::testing::ReservedPeriods(1);
    {
        // Fails at the header, after the block was allocated and released.
        CBeatEngine render(RenderToFile{1500, 80, "/dev/full"});
        EXPECT_EQ(render.m_bRenderMode, 1);
        EXPECT_EQ(render.m_bIsNT, 0);  // the platform was asked, as for every engine
        EXPECT_EQ(render.GetSafeHwnd(), 0u);
        EXPECT_EQ(render.m_hWaveOut, 0u);
        EXPECT_EQ(render.m_nEventId, 0u);
        EXPECT_EQ(render.m_nTick, 0u);
        EXPECT_EQ(plat::testing::ReservedPeriods(1), reservedBefore + 1);
        // Still names the released block: only the render flag keeps the destructor from
        // releasing it again (which the allocator, or AddressSanitizer, would catch).
        EXPECT_NE(render.m_pBuf[0], nullptr);
    }
    EXPECT_EQ(plat::testing::ReservedPeriods(1), reservedBefore);
    EXPECT_TRUE(plat::testing::PortLog().empty());
    EXPECT_EQ(device->Opens(), 0);
    EXPECT_EQ(device->Closes(), 0);
    EXPECT_TRUE(device->Blocks().empty());
}

}  // namespace
