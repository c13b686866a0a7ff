// SPDX-License-Identifier: GPL-3.0-or-later
// The PC speaker on Linux: the programmable interval timer's counter 2 and the speaker
// gate are not reachable from a user program, so the port writes are read as the
// programming they are (mode word, divisor bytes, gate bits) and turned into tone
// requests for the kernel's PC-speaker input device.
#pragma once

#include <functional>

#include "platform/types.h"

namespace plat {

// True when a PC-speaker input device (/dev/input/by-path/*pcspkr*) can be opened for
// writing.
bool PcSpeakerDeviceWritable();

// Follows the timer and gate programming; calls `tone` with the square wave's frequency
// in Hz whenever the speaker starts sounding or changes pitch, and with 0 when it falls
// silent.
class PitSpeakerBridge {
  public:
    static constexpr double kInputClock = 1193180.0;

    explicit PitSpeakerBridge(std::function<void(int hz)> tone) : m_tone(std::move(tone)) {}
    void Write(WORD port, BYTE value);

  private:
    void update();

    std::function<void(int)> m_tone;
    bool m_expectHigh = false;
    WORD m_divisor = 0;
    bool m_gateOn = false;
    int m_sounding = 0;
};

// Sends a tone request (0 = silence) to the PC-speaker input device, if there is one.
void PcSpeakerTone(int hz);

}  // namespace plat
