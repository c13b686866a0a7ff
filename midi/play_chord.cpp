// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "midi/midi_bytes.h"
#include "platform/crt.h"

using namespace midi;

// One chord on channels 1 to 5 (nibbles 0 to 4): silence what still sounds, pan each
// voice near the centre, set the instruments, then strike the root with a third and a
// fourth or sixth, and now and then a low octave and a fifth voice. Every draw is made
// right before the message it shapes, so the order of draws is fixed.
void CBeatEngine::PlayChord() {
    const int n = NextNote();
    for (int channel = 0; channel < 5; ++channel) {
        SendShort(m_hMidiOut, kControl + channel, kAllSoundOff, 0);
    }
    for (int channel : {1, 0, 2, 3, 4}) {
        const int pan = crt::rand() % 10 + 59;
        SendShort(m_hMidiOut, kControl + channel, kPan, pan);
    }
    for (int channel : {1, 0, 2}) {
        SendShort(m_hMidiOut, kProgram + channel, kCrystal, 0);
    }
    for (int channel : {3, 4}) {
        SendShort(m_hMidiOut, kProgram + channel, kSynthStrings, 0);
    }

    SendShort(m_hMidiOut, kNoteOn + 0, n, 100);
    const int third = crt::rand() % 4 != 0 ? n + 3 : n - 4;
    SendShort(m_hMidiOut, kNoteOn + 1, third, 90);
    const int upper = crt::rand() % 4 != 0 ? n + 5 : n + 8;
    SendShort(m_hMidiOut, kNoteOn + 2, upper, 90);
    if (crt::rand() % 6 == 0) {
        SendShort(m_hMidiOut, kNoteOn + 3, n - 12, 100);
    }
    if (crt::rand() % 3 == 0) {
        const int fifth = crt::rand() % 2 != 0 ? n - 5 : n + 4;
        SendShort(m_hMidiOut, kNoteOn + 4, fifth, 100);
    }
}
