// SPDX-License-Identifier: GPL-3.0-or-later
// What a MIDI output device must do underneath midiOut*. The handle table in
// midi_out.cpp serialises the calls on one device, so a sink needs no lock of its own,
// and it is never called after close().
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/types.h"

namespace plat {

class MidiSink {
  public:
    virtual ~MidiSink() = default;

    // Opens the device, on the caller's thread; false means it cannot be opened.
    virtual bool open() = 0;
    // After a failed open: why, naming what was missing ("" when there is nothing to add).
    virtual std::string failure() const { return {}; }
    // One short message, as the caller packed it.
    virtual void send(DWORD message) = 0;
    virtual void setVolume(DWORD volume) = 0;
    virtual void reset() = 0;
    virtual void close() = 0;
};

using MidiSinkFactory = std::function<std::unique_ptr<MidiSink>()>;

// The device that midiOutOpen opens from now on. An empty factory restores the default,
// the FluidSynth synthesizer with its audio driver.
void SetMidiSinkFactory(MidiSinkFactory factory);

std::unique_ptr<MidiSink> MakeFluidSynthMidiSink();

}  // namespace plat
