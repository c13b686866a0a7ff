#include <gtest/gtest.h>

#include <vector>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/ports.h"
#include "platform/system.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "platform/version.h"
#include "tests/support/pump.h"

using namespace plat;
using W = plat::testing::PortWrite;
using std::chrono::milliseconds;

namespace {

// Answers the version query with a fixed platform id, and records the record sizes asked.
struct FakeVersion {
    explicit FakeVersion(DWORD platformId, int failFirst = 0) {
        plat::testing::SetVersionQuery([=, this](OSVERSIONINFOA* info) {
            sizes.push_back(info->dwOSVersionInfoSize);
            zeroedOnFirstAsk.push_back(info->dwPlatformId == 0 && info->dwMajorVersion == 0);
            if (static_cast<int>(sizes.size()) <= failFirst) {
                return FALSE;
            }
            info->dwPlatformId = platformId;
            return TRUE;
        });
    }
    ~FakeVersion() { plat::testing::SetVersionQuery(nullptr); }
    std::vector<DWORD> sizes;
    std::vector<bool> zeroedOnFirstAsk;
};

class Speaker : public ::testing::Test {
  protected:
    void SetUp() override { plat::testing::ClearPortLog(); }
    void TearDown() override { VirtualWaveDevice::Uninstall(); }
    static std::vector<W> log() { return plat::testing::PortLog(); }
};

std::vector<W> retune(BYTE low, BYTE high) {
    return {{0x61, 0xFC}, {0x42, low}, {0x42, high}, {0x61, 0x03}};
}

TEST_F(Speaker, CheckPlatformReadsTheFamilyFromTheVersionRecord) {
    FakeVersion ninetyFive(VER_PLATFORM_WIN32_WINDOWS);
    CBeatEngine e;
    EXPECT_EQ(e.m_bIsNT, 0);
    EXPECT_EQ(ninetyFive.sizes, (std::vector<DWORD>{156}));
    EXPECT_TRUE(ninetyFive.zeroedOnFirstAsk[0]);
    EXPECT_EQ(e.CheckPlatform(), 0);
    EXPECT_EQ(e.m_bIsNT, 0);  // asked again, same answer
    {
        FakeVersion nt(VER_PLATFORM_WIN32_NT);
        EXPECT_EQ(e.CheckPlatform(), 1);
        EXPECT_EQ(e.m_bIsNT, 1);
    }
    {
        FakeVersion win32s(VER_PLATFORM_WIN32s);
        EXPECT_EQ(e.CheckPlatform(), 0);
        EXPECT_EQ(e.m_bIsNT, 0);
    }
}

TEST_F(Speaker, TheShortRecordIsTriedWhenTheLongOneIsRefused) {
    FakeVersion v(VER_PLATFORM_WIN32_NT, 1);
    CBeatEngine e;
    EXPECT_EQ(v.sizes, (std::vector<DWORD>{156, 148}));
    EXPECT_EQ(e.m_bIsNT, 1);
}

TEST_F(Speaker, FailedQueriesAndUnknownFamiliesLeaveTheFlagAlone) {
    CBeatEngine e;
    for (int flag : {0, 1}) {
        e.m_bIsNT = flag;
        {
            FakeVersion failing(VER_PLATFORM_WIN32_WINDOWS, 2);
            EXPECT_EQ(e.CheckPlatform(), 0);
            EXPECT_EQ(failing.sizes, (std::vector<DWORD>{156, 148}));
        }
        EXPECT_EQ(e.m_bIsNT, flag);
        for (DWORD id : {3u, 7u, 0xFFFFFFFFu}) {
            FakeVersion unknown(id);
            EXPECT_EQ(e.CheckPlatform(), 0);
            EXPECT_EQ(e.m_bIsNT, flag);
        }
    }
}

TEST_F(Speaker, BeforeAnyAnswerTheEngineLeavesThePortsAlone) {
    FakeVersion failing(VER_PLATFORM_WIN32_WINDOWS, 2);
    {
        CBeatEngine e;
        EXPECT_EQ(e.m_bIsNT, 1);
        e.SpeakerInit();
        e.SpeakerSetFrequency(24000);
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Speaker, OpeningTheOutputWritesTheSixStartUpBytesInOrder) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    CBeatEngine e;
    e.SetTone(1500, 80);
    e.OpenOutput();
    const std::vector<W> startUp{{0x61, 0xFC}, {0x42, 0x33}, {0x42, 0x00},
                                 {0x61, 0x03}, {0x61, 0xFC}, {0x43, 0xB6}};
    EXPECT_EQ(log(), startUp);
    // The device-opened handling queues blocks but writes no port.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() == 1; }));
    EXPECT_EQ(log(), startUp);
    e.StopOutput();
}

TEST_F(Speaker, EachReturnedBlockReTunesFromTheGeneratorAndTheCounter) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    CBeatEngine e;
    e.SetTone(1500, 80);
    e.OpenOutput();
    e.Stop();  // hold the counter still
    ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() == 1; }));
    plat::testing::ClearPortLog();
    e.m_nTick = 0;
    crt::srand(1);  // next draw 41: f = 41 + 0 + 23500
    dev->Release(1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !log().empty(); }));
    EXPECT_EQ(e.m_wSpeakerFreq, 23541);
    EXPECT_EQ(log(), retune(0x33, 0x00));  // 1193180 / 23541 + 0.5 -> 51
    plat::testing::ClearPortLog();
    e.m_nTick = 2000;  // next draw 18467: f = 467 + 2000 + 23500 = 25967
    dev->Release(1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !log().empty(); }));
    EXPECT_EQ(e.m_wSpeakerFreq, 25967);
    EXPECT_EQ(log(), retune(0x2E, 0x00));  // 45.95 + 0.5 -> 46
    e.StopOutput();
}

TEST_F(Speaker, DivisorsRoundHalfUpAcrossTheUsedRange) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    CBeatEngine e;
    struct Case {
        std::int32_t f;
        BYTE divisor;
    };
    // 1193180 / f + 0.5, truncated.
    const Case cases[] = {{23499, 51}, {23500, 51}, {23627, 51}, {23628, 50},
                          {24104, 50}, {24105, 49}, {25119, 48}, {25120, 47},
                          {26223, 46}, {26224, 45}, {26499, 45}, {0x15BCC, 51}};
    for (const Case& c : cases) {
        plat::testing::ClearPortLog();
        e.SpeakerSetFrequency(c.f);
        EXPECT_EQ(log(), retune(c.divisor, 0x00)) << "f = " << c.f;
    }
}

TEST_F(Speaker, LowFrequenciesLoadHighDivisorBytes) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    CBeatEngine e;
    e.SpeakerSetFrequency(100);  // 11932 = 0x2E9C
    EXPECT_EQ(log(), retune(0x9C, 0x2E));
    plat::testing::ClearPortLog();
    e.SpeakerSetFrequency(0x10000);  // low 16 bits 0: no divisor exists, nothing written
    e.SpeakerSetFrequency(18);
    EXPECT_TRUE(log().empty());
}

TEST_F(Speaker, OnTheNtFamilyNothingIsWrittenButEachBlockStillDraws) {
    FakeVersion v(VER_PLATFORM_WIN32_NT);
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    {
        CBeatEngine e;
        e.SetTone(1500, 80);
        e.OpenOutput();
        e.Stop();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() == 1; }));
        e.m_nTick = 7;
        crt::srand(1);
        dev->Release(1);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return e.m_wSpeakerFreq == 23548; }));
        EXPECT_EQ(crt::rand(), 18467);  // exactly one draw was made
        e.SpeakerInit();
        e.SpeakerOff();
        e.StopOutput();
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Speaker, DestroyingAnEngineSilencesTheSpeakerUnlessItRendered) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    { CBeatEngine neverOpened; }
    EXPECT_EQ(log(), (std::vector<W>{{0x61, 0xFC}}));
    plat::testing::ClearPortLog();
    {
        CBeatEngine render;
        render.m_bRenderMode = 1;
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Speaker, AFailedOpenStartsNoSpeaker) {
    FakeVersion v(VER_PLATFORM_WIN32_WINDOWS);
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    dev->SetFailOpen(true);
    plat::SetMessageBoxHandler(
        [](HWND, const std::string&, const std::string&, UINT) { return 1; });
    {
        CBeatEngine e;
        e.OpenOutput();
        EXPECT_TRUE(log().empty());
    }
    plat::SetMessageBoxHandler(nullptr);
    EXPECT_EQ(log(), (std::vector<W>{{0x61, 0xFC}}));
}

}  // namespace
