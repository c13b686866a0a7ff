// SPDX-License-Identifier: GPL-3.0-or-later
// MIDI output: the calls the engine makes, with their usual meaning. Any thread may call
// them. Handles are ids that are never reused: every call on a closed or never-opened
// handle has no effect. A message sent while another thread closes the device either
// reaches the device before it closes or has no effect.
#pragma once

#include <functional>

#include "platform/types.h"

namespace plat {

// With CALLBACK_WINDOW, MM_MOM_OPEN and MM_MOM_CLOSE are posted to the window `callback`.
MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags);
// Status in bits 0-7, first data byte in bits 8-15, second in bits 16-23.
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD message);
// Left level in bits 0-15, right in bits 16-31, 0 to 65535.
MMRESULT midiOutSetVolume(HMIDIOUT hmo, DWORD volume);
// Every note on every channel stops at once.
MMRESULT midiOutReset(HMIDIOUT hmo);
MMRESULT midiOutClose(HMIDIOUT hmo);

// Sees every word handed to midiOutShortMsg, whatever the handle and whether or not it
// reaches a device, on the sending thread, before the device gets it. Once
// SetMidiMonitor returns, the previous monitor is not called again. Empty: none.
using MidiMonitor = std::function<void(HMIDIOUT, DWORD message)>;
void SetMidiMonitor(MidiMonitor monitor);

}  // namespace plat
