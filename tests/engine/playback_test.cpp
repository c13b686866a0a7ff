#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstring>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/message_queue.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/engine/reference_tone.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"

using namespace plat;
using testsupport::PumpUntil;
using Pace = VirtualWaveDevice::Pace;
using std::chrono::milliseconds;

namespace {

std::vector<std::int16_t> samplesOf(const std::vector<char>& bytes) {
    std::vector<std::int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

std::vector<std::int16_t> atLevel(const std::vector<std::int16_t>& raw, int volume) {
    std::vector<std::int16_t> out(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        out[i] = static_cast<std::int16_t>(raw[i] * volume / 65535);
    }
    return out;
}

class Playback : public ::testing::Test {
  protected:
    void SetUp() override { dev = VirtualWaveDevice::Install(Pace::Manual); }
    void TearDown() override {
        engine.reset();
        VirtualWaveDevice::Uninstall();
        crt::testing::failAllocation(0);
    }

    // Builds and opens an engine and lets the device-opened handling run.
    void startPlaying(int carrier = 1500, int beat = 80) {
        engine = std::make_unique<CBeatEngine>();
        engine->SetTone(carrier, beat);
        engine->OpenOutput();
        ASSERT_NE(engine->m_hWaveOut, 0u);
        ASSERT_TRUE(PumpUntil([&] { return dev->Blocks().size() == 1; }));
    }

    std::shared_ptr<VirtualWaveDevice> dev;
    std::unique_ptr<CBeatEngine> engine;
    testsupport::UserFeedback feedback;
};

TEST_F(Playback, OpeningQueuesThreeBlocksAfterHalfASecondAtLevelOne) {
    engine = std::make_unique<CBeatEngine>();
    engine->SetTone(1500, 80);
    engine->OpenOutput();
    ASSERT_NE(engine->m_hWaveOut, 0u);
    EXPECT_NE(engine->m_nEventId, 0u);  // the tick runs
    // Nothing is queued until the device-opened notification is handled.
    EXPECT_TRUE(dev->Blocks().empty());
    const auto before = std::chrono::steady_clock::now();
    DeliverPostedMessages();  // the device-opened handling, 500 ms pause included
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, milliseconds(490));
    EXPECT_LT(took, milliseconds(3000));
    ASSERT_TRUE(dev->WaitForBlocks(1, milliseconds(2000)));
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));

    const auto blocks = dev->Blocks();
    reference::Channel l, r;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(blocks[i].hdr, engine->m_pHdr[i]) << "queue position " << i;
        EXPECT_EQ(blocks[i].hdr->lpData, engine->m_pBuf[i]);
        EXPECT_EQ(blocks[i].hdr->dwBufferLength, 65536u);
        EXPECT_EQ(blocks[i].hdr->dwLoops, 1u);
        // Level 1 is 655 on both channels.
        const auto want = atLevel(reference::Frames(l, r, 142.0, 150.0, 16384), 655);
        ASSERT_EQ(samplesOf(blocks[i].bytes), want) << "block " << i;
    }
    EXPECT_TRUE(feedback.boxes.empty());
}

TEST_F(Playback, EachReturnedBlockIsRefilledWithTheNextSoundAndQueuedAgain) {
    startPlaying();
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));
    engine->SetWaveVolume(100);  // 65500 on both channels from here on
    dev->Release(3);             // blocks 1, 2 and 3 finish
    ASSERT_TRUE(PumpUntil([&] { return dev->Blocks().size() >= 6; }));
    const auto blocks = dev->Blocks();
    reference::Channel l, r;
    reference::Frames(l, r, 142.0, 150.0, 3 * 16384);
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(blocks[i].hdr, engine->m_pHdr[i - 3]) << "queue position " << i;
        const auto want = atLevel(reference::Frames(l, r, 142.0, 150.0, 16384), 65500);
        ASSERT_EQ(samplesOf(blocks[i].bytes), want) << "block " << i;
    }
}

TEST_F(Playback, StoppingRefillsNothingAndClosesTheDevice) {
    startPlaying();
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));
    engine->StopOutput();
    EXPECT_EQ(engine->m_nEventId, 0u);  // the tick has stopped
    EXPECT_EQ(dev->Closes(), 1);
    testsupport::PumpFor(milliseconds(50));
    EXPECT_EQ(dev->Blocks().size(), 3u);
    engine.reset();  // releases the blocks; ASan would see a second release
    EXPECT_EQ(dev->Closes(), 1);
}

TEST_F(Playback, ASystemCloseStopsReleasesEverythingAndQuitsWithZero) {
    startPlaying();
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));
    // Blocks 1 and 2 come back and are queued again behind block 3, which the device holds.
    testsupport::PumpFor(milliseconds(50));
    PostMessage(engine->GetSafeHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(engine->m_hWaveOut, 0u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(engine->m_pBuf[i], nullptr);
        EXPECT_EQ(engine->m_pHdr[i], nullptr);
    }
    EXPECT_EQ(dev->Blocks().size(), 3u);
    EXPECT_EQ(dev->Closes(), 1);
}

TEST_F(Playback, OtherSystemCommandsAreLeftToTheDefault) {
    startPlaying();
    EXPECT_EQ(engine->WindowProc(WM_SYSCOMMAND, 0xF020 /* minimise */, 0), 0);
    EXPECT_EQ(engine->m_bStopping, 0);
    EXPECT_EQ(engine->WindowProc(WM_USER + 99, 0, 0), 0);
}

TEST_F(Playback, ADeviceThatCannotOpenIsReportedAndNothingIsHeld) {
    dev->SetFailOpen(true);
    engine = std::make_unique<CBeatEngine>();
    engine->SetTone(1500, 80);
    engine->OpenOutput();
    ASSERT_EQ(feedback.boxes, std::vector<std::string>{"Error opening waveform audio device!"});
    EXPECT_EQ(feedback.beeps, std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_EQ(feedback.captions[0], ApplicationName());
    EXPECT_EQ(engine->m_hWaveOut, 0u);
    EXPECT_EQ(engine->m_nEventId, 0u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(engine->m_pBuf[i], nullptr);
        EXPECT_EQ(engine->m_pHdr[i], nullptr);
    }
    engine->StopOutput();  // as the window does before destroying it
    engine.reset();        // nothing released twice (ASan)
}

TEST_F(Playback, AnAllocationThatFailsIsReportedBeforeAnyDeviceOpens) {
    for (unsigned nth : {1u, 3u, 4u, 6u}) {
        SCOPED_TRACE(nth);
        feedback.boxes.clear();
        engine = std::make_unique<CBeatEngine>();
        crt::testing::failAllocation(nth);
        engine->OpenOutput();
        crt::testing::failAllocation(0);
        EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Error allocating memory!"});
        EXPECT_EQ(engine->m_hWaveOut, 0u);
        EXPECT_EQ(engine->m_nEventId, 0u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(engine->m_pBuf[i], nullptr);
            EXPECT_EQ(engine->m_pHdr[i], nullptr);
        }
        engine.reset();
    }
    EXPECT_EQ(dev->Opens(), 0);
}

int g_calls = 0;

class CountingEngine : public CBeatEngine {
  public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        ++g_calls;
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
};

TEST_F(Playback, AnEngineDestroyedWithNotificationsQueuedIsNeverCalled) {
    g_calls = 0;
    auto counting = std::make_unique<CountingEngine>();
    counting->SetTone(1500, 80);
    counting->OpenOutput();  // the device-opened notification is now queued
    counting->StopOutput();  // and the close notification
    counting.reset();
    testsupport::PumpFor(milliseconds(50));
    EXPECT_EQ(g_calls, 0);
    EXPECT_TRUE(dev->Blocks().empty());
}

TEST_F(Playback, DestroyingAnEngineThatIsStillPlayingStopsTheDeviceFirst) {
    startPlaying();
    dev->Release(2);
    ASSERT_TRUE(dev->WaitForBlocks(3, milliseconds(2000)));
    engine.reset();  // no StopOutput: the device must not go on reading freed blocks
    EXPECT_EQ(dev->Closes(), 1);
    testsupport::PumpFor(milliseconds(20));
}

TEST_F(Playback, ManyEnginesBuiltPlayedAndDestroyedLeaveNoTimerOrDeviceBehind) {
    VirtualWaveDevice::Uninstall();
    dev = VirtualWaveDevice::Install(Pace::Immediate);
    for (int i = 0; i < 20; ++i) {
        auto e = std::make_unique<CBeatEngine>();
        e->SetTone(1100 + 100 * i, 80);
        e->OpenOutput();
        e->StopOutput();
        e.reset();
    }
    EXPECT_EQ(dev->Opens(), 20);
    EXPECT_EQ(dev->Closes(), 20);
}

}  // namespace
