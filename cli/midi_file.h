// SPDX-License-Identifier: GPL-3.0-or-later
// Standard MIDI File of the words a session sent: format 0, one track, one tick per
// millisecond. The one-byte words of a System Exclusive message become one SysEx event.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/midi_log.h"

namespace cli {

// Ticks per quarter note, with a tempo of one quarter per second: one tick is 1 ms.
constexpr std::uint16_t kMidiFileDivision = 1000;
constexpr std::uint32_t kMidiFileTempo = 1000000;  // microseconds per quarter note

// The whole file. The track ends at `endMs` (or at the last event, if later).
std::string EncodeMidiFile(const std::vector<TimedWord>& words, std::uint32_t endMs);

}  // namespace cli
