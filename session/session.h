// SPDX-License-Identifier: GPL-3.0-or-later
// A session as its file states it: options, tone-sets and timed entries. The reader
// (session/reader.h) makes one from text; the timeline (session/timeline.h) turns it into
// sample ranges for a given sample rate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace session {

enum class VoiceKind { None, Binaural, Tone, Isochronic, Pink, White, Brown };

// One voice of a tone-set. Frequencies in hertz, amplitude in percent of full scale as
// written (0 to 100); the scaling of a set whose amplitudes add up to more than 100 is
// the timeline's.
struct Voice {
    VoiceKind kind = VoiceKind::None;
    double carrier = 0.0;  // Binaural, Tone, Isochronic
    // Binaural: the left ear hears carrier + beat / 2, the right carrier - beat / 2, so
    // "200+10" has beat +10 and "200-10" beat -10.
    double beat = 0.0;
    double pulse = 0.0;  // Isochronic: pulses per second
    double amplitude = 0.0;
    int column = 0;  // where it was written on its tone-set's line, for messages
};

// A voice's values at one instant, as the timeline moves them. Frequencies in hertz;
// amplitude as a fraction of full scale (0 to 1), after the scaling of a set whose
// amplitudes add up to more than 100.
struct VoiceState {
    double carrier = 0.0;
    double beat = 0.0;   // Binaural: left = carrier + beat / 2, right = carrier - beat / 2
    double pulse = 0.0;  // Isochronic
    double amplitude = 0.0;
};

constexpr int kMaxVoices = 16;

struct ToneSet {
    std::string name;
    std::vector<Voice> voices;  // 1 to kMaxVoices slots
    int line = 0;               // where it was defined, for messages
};

struct Entry {
    std::int64_t ms = 0;   // from the session's first entry, which is 0
    int set = 0;           // index into Session::sets
    char fadeIn = '-';     // '<' from silence, '-' crossfade, '=' slide
    char fadeOut = '-';    // '>' to silence, '-' crossfade, '=' slide
    bool arrow = false;    // "->": the whole time to the next entry is the change, a slide
    bool nextDay = false;  // a clock time earlier than the one before it, so the next day's
    int line = 0;
};

struct Session {
    std::string source;                     // the file's name as messages give it
    std::vector<std::string> descriptions;  // the "##" lines, without the "##"
    bool ends = false;                      // -E or -SE: the session ends at its last entry
    std::int64_t crossfadeMs = 60000;       // -F
    std::optional<int> rate;                // -r
    std::vector<ToneSet> sets;
    std::vector<Entry> entries;  // in time order, at least one
    // The line of a "->" on the last entry, which changes nothing as nothing follows (real
    // files end "00:03:01 == off ->"): the entry keeps no arrow and check notes it. 0: none.
    int idleArrowLine = 0;
};

}  // namespace session
