// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/midi_log.h"

#include "platform/midi_out.h"

namespace cli {
namespace {

constexpr std::uint32_t kPercussionHit = 0x00645099;  // channel 10, key 80, velocity 100

}  // namespace

MidiLog::MidiLog(bool keepWords) : m_keepWords(keepWords) {
    if (m_keepWords) {
        m_words.reserve(4096);
    }
}

MidiLog::~MidiLog() {
    Stop();
}

void MidiLog::Start() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_start = std::chrono::steady_clock::now();
        m_listening = true;
    }
    plat::SetMidiMonitor([this](plat::HMIDIOUT, plat::DWORD word) { OnWord(word); });
}

void MidiLog::Stop() {
    bool wasListening;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        wasListening = m_listening;
    }
    if (!wasListening) {
        return;
    }
    plat::SetMidiMonitor(nullptr);  // no call of OnWord after this
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listening = false;
    m_endMs = Elapsed();
}

std::vector<TimedWord> MidiLog::Words() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_words;
}

std::uint32_t MidiLog::EndMs() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_endMs;
}

std::uint32_t MidiLog::Elapsed() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_start);
    return static_cast<std::uint32_t>(ms.count());
}

void MidiLog::OnWord(std::uint32_t word) {
    if ((word & 0xFF) == 0x90) {
        m_lastRoot.store(static_cast<int>((word >> 8) & 0x7F));
        m_chords.fetch_add(1);
    } else if (word == kPercussionHit) {
        m_hits.fetch_add(1);
    }
    if (m_keepWords) {
        // The clock is read under the lock, so the times of the words never go backwards.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_words.push_back({Elapsed(), word});
    }
}

}  // namespace cli
