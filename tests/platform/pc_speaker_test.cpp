// SPDX-License-Identifier: GPL-3.0-or-later
// The bridge from the speaker's port bytes to the kernel's PC-speaker tone: the square
// wave of timer counter 2 sounds while the gate is open and a divisor is loaded.
#include "platform/pc_speaker.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PitSpeakerBridge, TonesFollowTheDivisorAndTheGate) {
    const struct {
        std::vector<std::pair<int, int>> writes;  // port, byte
        std::vector<int> tones;                   // hertz asked of the device; 0 silences
    } cases[] = {
        // Start-up, then silenced: 1193180 / 51 = 23395.7 Hz.
        {{{0x61, 0xFC}, {0x42, 0x33}, {0x42, 0x00}, {0x61, 0x03}, {0x61, 0xFC}, {0x43, 0xB6}},
         {23396, 0}},
        // Re-tunes: the same divisor again sounds the same pitch; 0x2D gives 26515.1 Hz.
        {{{0x43, 0xB6},
          {0x61, 0xFC},
          {0x42, 0x32},
          {0x42, 0x00},
          {0x61, 0x03},
          {0x61, 0xFC},
          {0x42, 0x32},
          {0x42, 0x00},
          {0x61, 0x03},
          {0x61, 0xFC},
          {0x42, 0x2D},
          {0x42, 0x00},
          {0x61, 0x03}},
         {23864, 0, 23864, 0, 26515}},
        // The gate open without a count sounds nothing; the high byte completes 0x2E9C.
        {{{0x43, 0xB6}, {0x61, 0x03}, {0x42, 0x9C}, {0x42, 0x2E}}, {100}}};
    for (const auto& c : cases) {
        std::vector<int> tones;
        plat::PitSpeakerBridge bridge([&](int hz) { tones.push_back(hz); });
        for (auto [port, value] : c.writes) {
            bridge.Write(static_cast<plat::WORD>(port), static_cast<plat::BYTE>(value));
        }
        EXPECT_EQ(tones, c.tones);
    }
}

}  // namespace
