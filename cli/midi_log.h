// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine sends to the MIDI device during a session, timed in milliseconds from
// the start, whether or not a device took it; and the figures the status line shows.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace cli {

struct TimedWord {
    std::uint32_t ms;
    std::uint32_t word;
};

class MidiLog {
  public:
    explicit MidiLog(bool keepWords);
    ~MidiLog();
    MidiLog(const MidiLog&) = delete;
    MidiLog& operator=(const MidiLog&) = delete;

    // Starts listening to every short message sent; time 0 is now.
    void Start();
    // Stops listening; the time of the end is kept.
    void Stop();

    std::vector<TimedWord> Words() const;
    std::uint32_t EndMs() const;

    // Chords are counted by their root note-on (channel 1), hits by the triangle note-on.
    int Chords() const { return m_chords.load(); }
    int Hits() const { return m_hits.load(); }
    int LastRoot() const { return m_lastRoot.load(); }  // -1 before the first chord

  private:
    void OnWord(std::uint32_t word);
    std::uint32_t Elapsed() const;

    const bool m_keepWords;
    mutable std::mutex m_mutex;
    std::vector<TimedWord> m_words;
    std::chrono::steady_clock::time_point m_start;
    std::uint32_t m_endMs = 0;
    bool m_listening = false;
    std::atomic<int> m_chords{0};
    std::atomic<int> m_hits{0};
    std::atomic<int> m_lastRoot{-1};
};

}  // namespace cli
