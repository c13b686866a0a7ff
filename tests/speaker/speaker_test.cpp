// SPDX-License-Identifier: GPL-3.0-or-later
// The ultrasonic speaker tone: which systems drive it, and the port bytes it is sent.
#include <gtest/gtest.h>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/testing/hooks.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/pump.h"

using namespace plat;
using W = plat::testing::PortWrite;

namespace {

// Answers the version query with `id` after `failures` refusals; notes the sizes asked.
struct FakeVersion {
    FakeVersion(DWORD id, int failures = 0) {
        plat::testing::SetVersionQuery([=, this](OSVERSIONINFOA* info) {
            sizes.push_back(info->dwOSVersionInfoSize);
            info->dwPlatformId = id;
            return static_cast<int>(sizes.size()) > failures;
        });
    }
    ~FakeVersion() { plat::testing::SetVersionQuery(nullptr); }
    std::vector<DWORD> sizes;
};

std::vector<W> retune(BYTE low, BYTE high = 0) {
    return {{0x61, 0xFC}, {0x42, low}, {0x42, high}, {0x61, 0x03}};
}

TEST(Speaker, TheFamilyComesFromTheVersionRecordAndAFailedAnswerChangesNothing) {
    const struct {
        DWORD id;
        int failures, before, result, after;
        std::vector<DWORD> sizes;  // the long record first, the short one if it is refused
    } cases[] = {{1, 0, 1, 0, 0, {156}},          {0, 0, 1, 0, 0, {156}},
                 {2, 1, 0, 1, 1, {156, 148}},     {3, 0, 1, 0, 1, {156}},
                 {0xFFFFFFFF, 0, 0, 0, 0, {156}}, {1, 2, 1, 0, 1, {156, 148}},
                 {1, 2, 0, 0, 0, {156, 148}}};
    for (const auto& c : cases) {
        CBeatEngine e;
        e.m_bIsNT = c.before;
        FakeVersion v(c.id, c.failures);
        EXPECT_EQ(e.CheckPlatform(), c.result) << c.id << " after " << c.failures;
        EXPECT_EQ(e.m_bIsNT, c.after) << c.id << " after " << c.failures;
        EXPECT_EQ(v.sizes, c.sizes) << c.id;
    }
    FakeVersion failing(1, 2);
    CBeatEngine unanswered;  // until an answer comes, the ports are left alone
    EXPECT_EQ(unanswered.m_bIsNT, 1);
}

TEST(Speaker, DivisorsAreTheTimerClockOverTheFrequencyRoundedHalfUp) {
    FakeVersion v(1);
    CBeatEngine e;
    // 1193180 / f + 0.5, by hand; only the low 16 bits of f count; below 19 Hz no divisor.
    const std::pair<std::int32_t, std::vector<W>> cases[] = {
        {23627, retune(51)},   {23628, retune(50)},       {26223, retune(46)}, {26224, retune(45)},
        {0x15BCC, retune(51)}, {100, retune(0x9C, 0x2E)}, {0x10000, {}},       {18, {}}};
    for (const auto& [f, writes] : cases) {
        plat::testing::ClearPortLog();
        e.SpeakerSetFrequency(f);
        EXPECT_EQ(plat::testing::PortLog(), writes) << f;
    }
}

TEST(Speaker, PlayingStartsReTunesAndSilencesTheSpeakerOnlyWhereItMay) {
    auto dev = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::Manual);
    for (DWORD family : {1u, 2u}) {
        FakeVersion v(family);
        plat::testing::ClearPortLog();
        {
            const std::size_t blocks = dev->Blocks().size();
            CBeatEngine e;
            e.OpenOutput();
            e.Stop();  // holds the counter still
            ASSERT_TRUE(testsupport::PumpUntil([&] { return dev->Blocks().size() == blocks + 1; }));
            e.m_nTick = 2000;
            crt::srand(1);  // draw 41: f = 41 + 2000 + 23500 = 25541; 46.72 + 0.5 → 47
            dev->Release(1);
            ASSERT_TRUE(testsupport::PumpUntil([&] { return e.m_wSpeakerFreq == 25541; }));
            EXPECT_EQ(crt::rand(), 18467);  // one draw for the block, on every system
            // The start-up, then the re-tune to divisor 47.
            const std::vector<W> writes = {{0x61, 0xFC}, {0x42, 0x33}, {0x42, 0x00}, {0x61, 0x03},
                                           {0x61, 0xFC}, {0x43, 0xB6}, {0x61, 0xFC}, {0x42, 47},
                                           {0x42, 0x00}, {0x61, 0x03}};
            EXPECT_EQ(plat::testing::PortLog(), family == 1 ? writes : std::vector<W>{});
            e.StopOutput();
        }
        EXPECT_EQ(plat::testing::PortLog().size(), family == 1 ? 11u : 0u);  // silenced at the end
    }
    VirtualWaveDevice::Uninstall();
}

}  // namespace
