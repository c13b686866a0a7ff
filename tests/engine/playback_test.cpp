// SPDX-License-Identifier: GPL-3.0-or-later
// Playing through the waveform device, from the first block to the ways playing ends.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <thread>

#include "engine/beat_engine.h"
#include "platform/message_queue.h"
#include "platform/system.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"

using namespace plat;
using std::chrono::milliseconds;
using Samples = std::vector<std::int16_t>;

namespace {

class Playback : public ::testing::Test {
  protected:
    void SetUp() override { dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual); }
    void TearDown() override {
        engine.reset();
        VirtualWaveDevice::Uninstall();
    }
    void start(bool toStreaming = true) {
        const std::size_t before = dev->Blocks().size();
        engine = std::make_unique<CBeatEngine>();
        engine->SetTone(1500, 80);
        engine->OpenOutput();
        if (toStreaming) {
            ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() == before + 1; }));
            dev->Release(2);
            ASSERT_TRUE(dev->WaitForBlocks(before + 3, milliseconds(2000)));
        }
    }
    bool holdsNothing() {
        return engine->m_hWaveOut == 0 &&
               std::count(engine->m_pBuf, engine->m_pBuf + 3, nullptr) == 3 &&
               std::count(engine->m_pHdr, engine->m_pHdr + 3, nullptr) == 3;
    }
    std::shared_ptr<VirtualWaveDevice> dev;
    std::unique_ptr<CBeatEngine> engine;
    testsupport::UserFeedback feedback;
};

TEST_F(Playback, ThreeBlocksAfterHalfASecondAtLevelOneThenEachRefilledWithTheNextSound) {
    start(false);
    EXPECT_NE(engine->m_nEventId, 0u);   // the tick runs
    EXPECT_TRUE(dev->Blocks().empty());  // nothing until the device-opened notification
    const auto before = std::chrono::steady_clock::now();
    DeliverPostedMessages();
    EXPECT_GE(std::chrono::steady_clock::now() - before, milliseconds(490));
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));
    engine->SetWaveVolume(100);  // 65500 on both channels for the blocks refilled next
    dev->Release(3);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() >= 6; }));
    // The successive blocks of a fresh engine, as the device hears them: s × volume / 65535.
    CBeatEngine fresh;
    fresh.SetTone(1500, 80);
    for (std::size_t i = 0; i < 6; ++i) {
        Samples want(2 * CBeatEngine::kBlockFrames);
        fresh.FillBlock(want.data());
        for (auto& s : want) {
            s = static_cast<std::int16_t>(s * (i < 3 ? 655 : 65500) / 65535);
        }
        Samples played(want.size());
        std::memcpy(played.data(), dev->Blocks()[i].bytes.data(), played.size() * 2);
        EXPECT_EQ(dev->Blocks()[i].hdr, engine->m_pHdr[i % 3]) << "queue position " << i;
        ASSERT_EQ(played, want) << "block " << i;
    }
    EXPECT_TRUE(feedback.boxes.empty());
}

TEST_F(Playback, StoppingRefillsNothingAndASystemCloseReleasesAllAndQuitsWithZero) {
    start();
    engine->StopOutput();
    EXPECT_EQ(engine->m_nEventId, 0u);
    EXPECT_EQ(dev->Closes(), 1);
    testsupport::PumpFor(milliseconds(50));
    EXPECT_EQ(dev->Blocks().size(), 3u);
    start();
    EXPECT_EQ(engine->WindowProc(WM_SYSCOMMAND, 0xF020 /* minimise */, 0), 0);  // the default
    PostMessage(engine->GetSafeHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(42); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(holdsNothing());
    EXPECT_EQ(dev->Blocks().size(), 6u);
    EXPECT_EQ(dev->Closes(), 2);
}

TEST_F(Playback, FailuresAreReportedAndLeaveNothingHeldNorTicking) {
    const std::pair<unsigned, const char*> cases[] = {{0, "Error opening waveform audio device!"},
                                                      {1, "Error allocating memory!"},
                                                      {4, "Error allocating memory!"},
                                                      {6, "Error allocating memory!"}};
    plat::testing::SetVersionQuery([](OSVERSIONINFOA* info) {
        info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;  // a family that drives the speaker
        return TRUE;
    });
    for (const auto& [allocation, message] : cases) {  // which allocation fails, if any
        feedback.boxes.clear();
        plat::testing::ClearPortLog();
        dev->SetFailOpen(allocation == 0);
        crt::testing::failAllocation(allocation);
        start(false);
        crt::testing::failAllocation(0);
        EXPECT_EQ(feedback.boxes, std::vector<std::string>{message});
        EXPECT_EQ(feedback.beeps.back(), MB_ICONEXCLAMATION);
        EXPECT_EQ(feedback.captions.back(), ApplicationName());
        EXPECT_TRUE(holdsNothing()) << message;
        EXPECT_EQ(engine->m_nEventId, 0u) << message;  // no tick either
        engine->StopOutput();                          // as the window does before destroying it
        engine.reset();                                // nothing released twice (AddressSanitizer)
        // The speaker was never started; the destruction silences it once.
        EXPECT_EQ(plat::testing::PortLog(), (std::vector<plat::testing::PortWrite>{{0x61, 0xFC}}));
    }
    plat::testing::SetVersionQuery(nullptr);
    EXPECT_EQ(dev->Opens(), 0);
}

struct CountingEngine : CBeatEngine {
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        ++calls;
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
    static inline int calls = 0;
};

TEST_F(Playback, DestroyedEnginesStopFirstAndGetNoNotificationsLeftQueued) {
    start();
    for (int i = 0; i < 30; ++i) {
        engine.reset();  // without StopOutput: no tick or device read may outlive it
        EXPECT_EQ(dev->Closes(), i + 1);
        start(false);
        std::this_thread::sleep_for(milliseconds(12));
    }
    auto counting = std::make_unique<CountingEngine>();
    counting->OpenOutput();  // the device-opened notification is now queued
    counting->StopOutput();  // and the device-closed one
    counting.reset();
    testsupport::PumpFor(milliseconds(50));
    EXPECT_EQ(CountingEngine::calls, 0);
}

}  // namespace
