// SPDX-License-Identifier: GPL-3.0-or-later
// An engine on the capturing MIDI device, and seeded generators' first values, worked from
// state = state × 214013 + 2531011, value = (state >> 16) & 0x7FFF.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/testing/capturing_midi_device.h"

namespace miditest {

constexpr int kFirstOfSeed777 = 2575;  // seeded where nothing should draw

// The word of a short message from its three bytes.
inline plat::DWORD word(int status, int data1, int data2) {
    return static_cast<plat::DWORD>(status | (data1 << 8) | (data2 << 16));
}

class CapturedEngine : public ::testing::Test {
  protected:
    void SetUp() override { dev = plat::CapturingMidiDevice::Install(); }
    void TearDown() override {
        engine->StopMidi();
        engine.reset();
        plat::CapturingMidiDevice::Uninstall();
    }
    std::shared_ptr<plat::CapturingMidiDevice> dev;
    std::unique_ptr<CBeatEngine> engine = std::make_unique<CBeatEngine>();
};

}  // namespace miditest
