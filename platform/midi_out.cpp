// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/midi_out.h"

#include <memory>
#include <mutex>

#include "platform/handle_table.h"
#include "platform/message_queue.h"
#include "platform/midi_sink.h"
#include "platform/open_failure.h"

namespace plat {
namespace {

// One open device. Its mutex is held across every call into the sink, and close() takes
// the sink away under it: a send that got hold of the device before the close either
// runs first or finds no sink.
struct MidiOutDevice {
    std::mutex mutex;
    std::unique_ptr<MidiSink> sink;
    HWND notify = 0;
};

HandleTable<HMIDIOUT, MidiOutDevice> g_devices;
std::mutex g_factoryMutex;
MidiSinkFactory g_factory;

std::mutex g_monitorMutex;
MidiMonitor g_monitor;

// Runs `call` on the device's sink, if the device is still open.
template <typename Call>
MMRESULT withSink(HMIDIOUT hmo, Call call) {
    return g_devices.With(hmo, [&call](MidiOutDevice& dev) {
        std::lock_guard<std::mutex> lock(dev.mutex);
        if (!dev.sink) {
            return MMSYSERR_INVALHANDLE;
        }
        call(*dev.sink);
        return MMSYSERR_NOERROR;
    });
}

}  // namespace

void SetMidiSinkFactory(MidiSinkFactory factory) {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

void SetMidiMonitor(MidiMonitor monitor) {
    std::lock_guard<std::mutex> lock(g_monitorMutex);
    g_monitor = std::move(monitor);
}

MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT deviceId, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    if (phmo == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *phmo = 0;
    if (deviceId != MIDI_MAPPER && deviceId != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    MidiSinkFactory factory;
    {
        std::lock_guard<std::mutex> lock(g_factoryMutex);
        factory = g_factory;
    }
    // Loading a SoundFont takes a while: the table stays free for other callers meanwhile.
    std::unique_ptr<MidiSink> sink = factory ? factory() : MakeFluidSynthMidiSink();
    if (!sink || !sink->open()) {
        SetLastOpenFailure(sink ? sink->failure() : std::string());
        return MMSYSERR_NODRIVER;
    }
    SetLastOpenFailure({});
    auto dev = std::make_shared<MidiOutDevice>();
    dev->sink = std::move(sink);
    dev->notify = (flags & CALLBACK_WINDOW) != 0 ? static_cast<HWND>(callback) : 0;
    const HMIDIOUT handle = g_devices.Add([&dev](HMIDIOUT) { return dev; });
    *phmo = handle;
    PostMessage(dev->notify, MM_MOM_OPEN, handle, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD message) {
    {
        std::lock_guard<std::mutex> lock(g_monitorMutex);
        if (g_monitor) {
            g_monitor(hmo, message);
        }
    }
    return withSink(hmo, [message](MidiSink& sink) { sink.send(message); });
}

MMRESULT midiOutSetVolume(HMIDIOUT hmo, DWORD volume) {
    return withSink(hmo, [volume](MidiSink& sink) { sink.setVolume(volume); });
}

MMRESULT midiOutReset(HMIDIOUT hmo) {
    return withSink(hmo, [](MidiSink& sink) { sink.reset(); });
}

MMRESULT midiOutClose(HMIDIOUT hmo) {
    std::shared_ptr<MidiOutDevice> dev;
    if (const MMRESULT r =
            g_devices.Take(hmo, dev, [](MidiOutDevice&) { return MMSYSERR_NOERROR; });
        r != MMSYSERR_NOERROR) {
        return r;
    }
    {
        // Waits for a send in progress on another thread; later ones find no sink.
        std::lock_guard<std::mutex> lock(dev->mutex);
        dev->sink->close();
        dev->sink.reset();
    }
    PostMessage(dev->notify, MM_MOM_CLOSE, hmo, 0);
    return MMSYSERR_NOERROR;
}

}  // namespace plat
