// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "platform/midi_out.h"

// Every MIDI message of the program goes out through here. The bytes are not masked:
// every caller passes values that fit.
void CBeatEngine::SendShort(plat::HMIDIOUT device, std::int32_t status, std::int32_t data1,
                            std::int32_t data2) {
    const auto word = static_cast<plat::DWORD>(status) | (static_cast<plat::DWORD>(data1) << 8) |
                      (static_cast<plat::DWORD>(data2) << 16);
    plat::midiOutShortMsg(device, word);
}
