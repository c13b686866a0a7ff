#include "platform/pc_speaker.h"
#include "platform/testing/hooks.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ports.h"

using namespace plat;

namespace {

struct Bridge {
    std::vector<int> tones;
    PitSpeakerBridge bridge{[this](int hz) { tones.push_back(hz); }};
    void write(std::initializer_list<std::pair<int, int>> writes) {
        for (auto [port, value] : writes) {
            bridge.Write(static_cast<WORD>(port), static_cast<BYTE>(value));
        }
    }
};

TEST(PitSpeakerBridge, ADivisorLoadedWithTheGateOpenSoundsTheTimersSquareWave) {
    Bridge b;
    b.write({{0x43, 0xB6}, {0x61, 0xFC}, {0x42, 0x33}, {0x42, 0x00}, {0x61, 0x03}});
    // 1193180 / 51 = 23395.7 Hz
    EXPECT_EQ(b.tones, (std::vector<int>{23396}));
    b.write({{0x61, 0xFC}});
    EXPECT_EQ(b.tones, (std::vector<int>{23396, 0}));
}

TEST(PitSpeakerBridge, AReTuneChangesPitchOnlyWhenTheDivisorDoes) {
    Bridge b;
    b.write({{0x43, 0xB6}});
    b.write({{0x61, 0xFC}, {0x42, 0x32}, {0x42, 0x00}, {0x61, 0x03}});  // 23863.6 Hz
    b.write({{0x61, 0xFC}, {0x42, 0x32}, {0x42, 0x00}, {0x61, 0x03}});  // same pitch again
    b.write({{0x61, 0xFC}, {0x42, 0x2D}, {0x42, 0x00}, {0x61, 0x03}});  // 26515.1 Hz
    EXPECT_EQ(b.tones, (std::vector<int>{23864, 0, 23864, 0, 26515}));
}

TEST(PitSpeakerBridge, TheStartUpSequenceEndsSilent) {
    Bridge b;
    b.write({{0x61, 0xFC}, {0x42, 0x33}, {0x42, 0x00}, {0x61, 0x03}, {0x61, 0xFC}, {0x43, 0xB6}});
    ASSERT_FALSE(b.tones.empty());
    EXPECT_EQ(b.tones.back(), 0);
}

TEST(PitSpeakerBridge, TheHighByteCompletesTheDivisor) {
    Bridge b;
    b.write({{0x43, 0xB6}, {0x61, 0x03}});
    EXPECT_TRUE(b.tones.empty());           // gate open but no count loaded yet
    b.write({{0x42, 0x9C}, {0x42, 0x2E}});  // 0x2E9C = 11932: 100.0 Hz
    EXPECT_EQ(b.tones, (std::vector<int>{100}));
}

TEST(Ports, EveryWriteIsRecordedInOrder) {
    plat::testing::ClearPortLog();
    outp(0x61, 0xFC);
    outp(0x43, 0xB6);
    const std::vector<plat::testing::PortWrite> expected{{0x61, 0xFC}, {0x43, 0xB6}};
    EXPECT_EQ(plat::testing::PortLog(), expected);
    plat::testing::ClearPortLog();
    EXPECT_TRUE(plat::testing::PortLog().empty());
}

}  // namespace
