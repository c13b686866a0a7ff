#include "engine/beat_engine.h"
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
            SendShort(m_hMidiOut, 0xB9, 0x78, 0x00);  // channel 10: all sound off
            SendShort(m_hMidiOut, 0xB9, 0x0A, 0x40);  // pan to the centre
            SendShort(m_hMidiOut, 0x99, 0x50, 0x64);  // Mute Triangle, velocity 100
        }
    }
}
