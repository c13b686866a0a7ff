// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV render: the file it leaves, and what happens when it cannot be made or written.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "engine/beat_engine.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/read_file.h"

using testsupport::Bytes;
using Status = RenderResult::Status;

namespace {

constexpr std::size_t kBlock = 65536;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The file holds, after its header, the blocks a fresh engine fills one after another,
// exchanged in the runs 50-99, 150-199, ..., 750-799 (blocks counted from 1).
void expectTone(const Bytes& file, int carrier, int beat) {
    CBeatEngine fresh;
    fresh.SetTone(carrier, beat);
    std::vector<char> block(kBlock);
    for (std::size_t n = 1, at = 44; at < file.size(); ++n, at += kBlock) {
        fresh.m_bSwap = n % 100 >= 50;
        fresh.FillBlock(reinterpret_cast<std::int16_t*>(block.data()));
        const std::size_t bytes = std::min(kBlock, file.size() - at);
        ASSERT_EQ(std::memcmp(file.data() + at, block.data(), bytes), 0) << "block " << n;
    }
}

class Render : public ::testing::Test {
  protected:
    std::string path(const char* name) { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

// Meanwhile the render object has no window, opens no device, runs no tick, writes no port.
TEST_F(Render, AFinishedFileHoldsTheWholeToneWithItsExchangesAndNothingElseIsTouched) {
    plat::testing::ClearPortLog();
    auto device = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
    plat::testing::SetVersionQuery([](plat::OSVERSIONINFOA* info) {
        info->dwPlatformId = plat::VER_PLATFORM_WIN32_WINDOWS;  // a family that drives ports
        return plat::TRUE;
    });
    const int reserved = plat::testing::ReservedPeriods(1);
    const std::string p = path("tovin.wav");
    RenderToFile job(1500, 80, p.c_str());
    std::vector<int> progress;
    job.progress = [&](int blocks) {
        progress.push_back(blocks);
        if (blocks == 1 || blocks == 400) {  // each block is in the file as soon as it is made,
            const Bytes now = testsupport::ReadAll(p);  // behind the placeholder header
            EXPECT_EQ(now.size(), 44 + blocks * kBlock);
            EXPECT_EQ(le32(now, 4), 36u);
            EXPECT_EQ(le32(now, 40), 0u);
        }
    };
    {
        const CBeatEngine render(job);
        EXPECT_EQ(render.m_renderResult.status, Status::Complete);
        EXPECT_EQ(render.m_bIsNT, 0);  // the platform was asked, as by every engine
        EXPECT_EQ(render.GetSafeHwnd(), 0u);
        EXPECT_EQ(render.m_nEventId, 0u);
        EXPECT_EQ(plat::testing::ReservedPeriods(1), reserved + 1);
        // It still names its released block: only the render flag keeps the destructor
        // from releasing it again (AddressSanitizer would see that).
        EXPECT_NE(render.m_pBuf[0], nullptr);
    }
    plat::testing::SetVersionQuery(nullptr);
    EXPECT_EQ(plat::testing::ReservedPeriods(1), reserved);
    EXPECT_TRUE(plat::testing::PortLog().empty());
    EXPECT_EQ(device->Opens(), 0);
    plat::VirtualWaveDevice::Uninstall();
    ASSERT_EQ(progress.size(), 800u);
    EXPECT_EQ(progress.back(), 800);
    const Bytes file = testsupport::ReadAll(p);
    ASSERT_EQ(file.size(), 52428844u);
    EXPECT_EQ(le32(file, 4), 52428836u);  // the sound's 52428800 bytes + 36
    EXPECT_EQ(le32(file, 40), 52428800u);
    expectTone(file, 1500, 80);
}

TEST_F(Render, FaultsStopTheRenderAndTheHeaderStatesOnlyTheSoundThere) {
    const std::string p = path("render.wav");
    std::ofstream(path("kept.wav")) << "an older file";
    const struct {
        std::string path;
        std::size_t room;     // a file-size limit, 0 for none
        unsigned allocation;  // which allocation fails, 0 for none
        Status status;
        int error;
        std::uint32_t sound;  // bytes of sound the header states
        int carrier, beat;
    } cases[] = {
        {p, 44 + 51 * kBlock, 0, Status::WriteFailed, EFBIG, 51 * kBlock, 9000, 100},  // 150/140
        // Three blocks and 1002 bytes of the fourth: 250 whole frames and half of one more.
        {p, 44 + 3 * kBlock + 1002, 0, Status::WriteFailed, EFBIG, 3 * kBlock + 1000, 1500, 80},
        {path("missing/x.wav"), 0, 0, Status::CannotCreate, ENOENT, 0, 1500, 80},
        {path("kept.wav"), 0, 1, Status::NoMemory, 0, 0, 1500, 80}};
    for (const auto& c : cases) {
        std::optional<testsupport::FileSizeLimit> limit;
        if (c.room != 0) {
            limit.emplace(c.room);
        }
        crt::testing::failAllocation(c.allocation);
        const CBeatEngine render(RenderToFile{c.carrier, c.beat, c.path.c_str()});
        crt::testing::failAllocation(0);
        limit.reset();
        EXPECT_EQ(render.m_renderResult.status, c.status) << c.path;
        EXPECT_EQ(render.m_renderResult.error, c.error) << c.path;
        EXPECT_EQ(render.m_renderResult.sampleBytes, c.sound) << c.path;
        if (c.room != 0) {  // each render replaces the file whole, from phase 0
            const Bytes file = testsupport::ReadAll(c.path);
            EXPECT_EQ(file.size(), c.room);
            EXPECT_EQ(le32(file, 40), c.sound);
            EXPECT_EQ(le32(file, 4), c.sound + 36);
            expectTone(file, c.carrier, c.beat);
        }
    }
    EXPECT_EQ(testsupport::ReadAll(path("kept.wav")),
              (Bytes{'a', 'n', ' ', 'o', 'l', 'd', 'e', 'r', ' ', 'f', 'i', 'l', 'e'}));
    EXPECT_FALSE(std::filesystem::exists(path("missing")));
}

}  // namespace
