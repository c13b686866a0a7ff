// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/testing/capturing_midi_device.h"

#include "platform/midi_sink.h"

namespace plat {
namespace {

class CapturingSink : public MidiSink {
  public:
    explicit CapturingSink(std::shared_ptr<CapturingMidiDevice> dev) : m_dev(std::move(dev)) {}

    bool open() override {
        m_device = m_dev->OnOpen();
        return m_device != 0;
    }
    void send(DWORD message) override { record(CapturingMidiDevice::Call::Send, message); }
    void setVolume(DWORD volume) override { record(CapturingMidiDevice::Call::Volume, volume); }
    void reset() override { record(CapturingMidiDevice::Call::Reset, 0); }
    void close() override {
        record(CapturingMidiDevice::Call::Close, 0);
        m_closed = true;
    }

  private:
    void record(CapturingMidiDevice::Call call, DWORD value) {
        m_dev->OnCall(call, value, m_device, m_closed);
    }

    std::shared_ptr<CapturingMidiDevice> m_dev;
    int m_device = 0;
    bool m_closed = false;
};

}  // namespace

std::shared_ptr<CapturingMidiDevice> CapturingMidiDevice::Install() {
    std::shared_ptr<CapturingMidiDevice> dev(new CapturingMidiDevice());
    SetMidiSinkFactory([dev] { return std::make_unique<CapturingSink>(dev); });
    return dev;
}

void CapturingMidiDevice::Uninstall() {
    SetMidiSinkFactory(nullptr);
}

void CapturingMidiDevice::SetFailOpen(bool fail) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failOpen = fail;
}

std::vector<CapturingMidiDevice::Event> CapturingMidiDevice::Events() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<DWORD> CapturingMidiDevice::Words() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<DWORD> words;
    for (const Event& e : m_events) {
        if (e.call == Call::Send) {
            words.push_back(e.value);
        }
    }
    return words;
}

void CapturingMidiDevice::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
}

int CapturingMidiDevice::Opens() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_opens;
}

int CapturingMidiDevice::Closes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closes;
}

int CapturingMidiDevice::CallsAfterClose() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_callsAfterClose;
}

int CapturingMidiDevice::OnOpen() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failOpen) {
        return 0;
    }
    const int device = ++m_opens;
    m_events.push_back(
        {Call::Open, 0, device, std::this_thread::get_id(), std::chrono::steady_clock::now()});
    return device;
}

void CapturingMidiDevice::OnCall(Call call, DWORD value, int device, bool closed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (closed) {
        ++m_callsAfterClose;
    }
    if (call == Call::Close) {
        ++m_closes;
    }
    m_events.push_back(
        {call, value, device, std::this_thread::get_id(), std::chrono::steady_clock::now()});
}

}  // namespace plat
