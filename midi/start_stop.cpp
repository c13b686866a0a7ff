// SPDX-License-Identifier: GPL-3.0-or-later
#include <ctime>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/midi_out.h"
#include "platform/system.h"

using namespace plat;

namespace {

// General MIDI System On, one byte per message; the 0 ends the table.
constexpr BYTE kGmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00};

}  // namespace

// Once started, the accompaniment counts as running until StopMidi, even when the device
// could not be opened: the user has been told once, and a second toggle does not ask the
// device again. The flag is set before the open so that a tick in between already acts.
void CBeatEngine::StartMidi() {
    if (m_bMidiActive) {
        return;
    }
    m_bMidiActive = 1;
    m_hMidiOut = 0;
    HMIDIOUT handle = 0;
    if (midiOutOpen(&handle, MIDI_MAPPER, GetSafeHwnd(), 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR) {
        m_hMidiOut = handle;
    } else {
        MessageBeep(MB_ICONEXCLAMATION);
        MessageBoxA(GetSafeHwnd(), "Cannot open MIDI device", nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
    for (const BYTE* b = kGmSystemOn; *b != 0; ++b) {
        SendShort(m_hMidiOut, *b, 0, 0);
    }
    crt::srand(static_cast<unsigned>(std::time(nullptr)));
    DrawMapParameters();
    SetMidiVolume(1);
}

// The handle is kept: calls on a closed device have no effect, and a device that never
// opened (handle none) leaves the accompaniment marked as running.
void CBeatEngine::StopMidi() {
    if (m_hMidiOut == 0) {
        return;
    }
    midiOutReset(m_hMidiOut);
    midiOutClose(m_hMidiOut);
    m_bMidiActive = 0;
}
