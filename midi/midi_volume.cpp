// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "midi/midi_bytes.h"
#include "platform/midi_out.h"

// The level (0 to 100) sets both the device volume, the same on both sides, and the
// channel volume of every channel the accompaniment uses: 2, 1, 3, 4, 5 and 10.
void CBeatEngine::SetMidiVolume(std::int32_t level) {
    const auto v = static_cast<plat::DWORD>(level * 655 + 3) & 0xFFFF;
    plat::midiOutSetVolume(m_hMidiOut, v | (v << 16));
    const std::int32_t value = level + 27;
    for (int channel : {1, 0, 2, 3, 4, midi::kPercussion}) {
        SendShort(m_hMidiOut, midi::kControl + channel, midi::kChannelVolume, value);
    }
}
