// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "midi/midi_bytes.h"
#include "platform/crt.h"

// The accompaniment's schedule, on every tick: new map parameters once per 20 s cycle
// (counter 1600), a chord with even odds every half second, and a percussion hit every
// four seconds. The running flag is read afresh at each step, as the user-interface
// thread may turn it at any moment.
void CBeatEngine::MusicTick() {
    if (m_bMidiActive && m_nTick % 1600u == 0) {
        DrawMapParameters();
    }
    if (m_bMidiActive && m_nTick % 50u == 0) {
        if (crt::rand() % 2 != 0) {
            PlayChord();
        }
    }
    // The percussion counter always advances and is only ever reduced modulo 400, so the
    // hits stay on the counter's multiples of 400 across a stop and a new start.
    ++m_nDrumCount;
    if (m_bMidiActive) {
        m_nDrumCount = m_nDrumCount % 400u;
        if (m_nDrumCount == 0) {
            using namespace midi;
            SendShort(m_hMidiOut, kControl + kPercussion, kAllSoundOff, 0);
            SendShort(m_hMidiOut, kControl + kPercussion, kPan, kPanCentre);
            SendShort(m_hMidiOut, kNoteOn + kPercussion, kMuteTriangle, 100);
        }
    }
}
