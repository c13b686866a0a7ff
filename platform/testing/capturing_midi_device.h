// SPDX-License-Identifier: GPL-3.0-or-later
// An in-process MIDI device that records every call that reaches it, with the calling
// thread and the time, instead of sounding. Tests install it in place of the synthesizer.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/types.h"

namespace plat {

class CapturingMidiDevice {
  public:
    enum class Call { Open, Send, Volume, Reset, Close };

    struct Event {
        Call call;
        DWORD value;  // the message word, or the volume word
        int device;   // which open this came through: 1 for the first, and so on
        std::thread::id thread;
        std::chrono::steady_clock::time_point time;
    };

    // From now on midiOutOpen opens this device.
    static std::shared_ptr<CapturingMidiDevice> Install();
    // Back to the default device.
    static void Uninstall();

    // While set, midiOutOpen fails.
    void SetFailOpen(bool fail);

    std::vector<Event> Events();
    // The words sent, in order.
    std::vector<DWORD> Words();
    void Clear();
    int Opens();
    int Closes();
    // Calls that reached a device after it was closed; the platform must keep this at 0.
    int CallsAfterClose();

    // Used by the sink.
    int OnOpen();
    void OnCall(Call call, DWORD value, int device, bool closed);

  private:
    CapturingMidiDevice() = default;

    std::mutex m_mutex;
    std::vector<Event> m_events;
    bool m_failOpen = false;
    int m_opens = 0;
    int m_closes = 0;
    int m_callsAfterClose = 0;
};

}  // namespace plat
