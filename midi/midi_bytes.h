// SPDX-License-Identifier: GPL-3.0-or-later
// The General MIDI bytes the accompaniment sends, named once for the whole folder.
// Channels are nibbles here: channel 1 is 0, the percussion channel 10 is 9.
#pragma once

namespace midi {

// Status bytes, with the channel nibble added.
constexpr int kControl = 0xB0;
constexpr int kProgram = 0xC0;
constexpr int kNoteOn = 0x90;

// Controllers.
constexpr int kChannelVolume = 0x07;
constexpr int kPan = 0x0A;
constexpr int kAllSoundOff = 0x78;
constexpr int kPanCentre = 0x40;

// Instruments (programs counted from 0) and the percussion channel's note.
constexpr int kCrystal = 98;       // General MIDI FX 3
constexpr int kSynthStrings = 51;  // General MIDI SynthStrings 2
constexpr int kPercussion = 9;
constexpr int kMuteTriangle = 0x50;

}  // namespace midi
