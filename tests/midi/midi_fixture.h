// Shared pieces of the MIDI tests: the runtime generator's sequence worked out from its
// formula, and an engine whose MIDI device is the capturing one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/testing/capturing_midi_device.h"
#include "platform/types.h"

namespace miditest {

// state = state * 214013 + 2531011; value = (state >> 16) & 0x7FFF.
class Lcg {
  public:
    explicit Lcg(std::uint32_t seed) : m_state(seed) {}
    int next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

  private:
    std::uint32_t m_state;
};

inline plat::DWORD word(int status, int data1, int data2) {
    return static_cast<plat::DWORD>(status | (data1 << 8) | (data2 << 16));
}

// An engine with a capturing MIDI device installed; the device is open with the engine's
// handle in m_hMidiOut once open() has run.
class CapturedEngine : public ::testing::Test {
  protected:
    void SetUp() override { dev = plat::CapturingMidiDevice::Install(); }
    void TearDown() override {
        engine.reset();
        plat::CapturingMidiDevice::Uninstall();
    }

    std::shared_ptr<plat::CapturingMidiDevice> dev;
    std::unique_ptr<CBeatEngine> engine = std::make_unique<CBeatEngine>();
};

}  // namespace miditest
