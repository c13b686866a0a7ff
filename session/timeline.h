// SPDX-License-Identifier: GPL-3.0-or-later
// A session laid out in samples for one sample rate: what sounds over every range of
// samples, and how each voice moves within it. The synthesis (session/synth.h) needs
// nothing else; `check` and the player's status line read the periods.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "session/session.h"

namespace session {

// The end of a session that plays on without end.
constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max();

// One voice over one span. Every parameter moves linearly with the sample index from
// `from` at the span's first sample to `to` at its end (the first sample after it):
// at sample n, value = from + (to - from) * (n - begin) / (end - begin). In an endless
// span `from` and `to` are equal.
struct Track {
    // A track in the next span with the same id is the same voice going on: it keeps its
    // phase (and a noise its generator and filter state). A new id starts afresh.
    int id = 0;
    VoiceKind kind = VoiceKind::None;  // never None
    VoiceState from;
    VoiceState to;
    int wave = kSine;         // a tone voice's wave
    std::int64_t strike = 0;  // Bell: the sample it is struck at, from which it rings 4 s
};

// How long a bell rings after it is struck: it halves every quarter second, for 4 s.
constexpr double kBellSeconds = 4.0;
constexpr double kBellHalving = 0.25;

// A range of samples [begin, end) over which every voice moves linearly. Spans follow
// one another without gaps from sample 0; the last ends at the session's end, or at
// kEndless.
struct Span {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::vector<Track> tracks;  // in slot order; a crossfade has an old and a new per slot
};

enum class Change {
    Hold,       // nothing follows: the last entry of a session, or an endless one
    Crossfade,  // old voices fade out as new ones fade in (voices that stay just move)
    Slide,      // voices of the same kind move to their new values
    Silence,    // the old set fades to silence, then the new one fades in
};

// One entry's time on the timeline, and how its set turns into the next entry's.
struct Period {
    int entry = 0;           // index into Session::entries
    std::int64_t begin = 0;  // the entry's time, in samples
    std::int64_t end = 0;    // the next entry's time, the session's end, or kEndless
    Change change = Change::Hold;
    std::int64_t changeBegin = 0;  // the window of the change into the next set
    std::int64_t changeEnd = 0;
};

struct Timeline {
    int rate = 44100;
    std::int64_t end = kEndless;  // in samples: the session's end, or kEndless
    std::vector<Span> spans;
    std::vector<Period> periods;
    std::vector<double> setScale;  // per Session::sets: 1, or 100 / (sum of amplitudes)
    // -T: the samples that play and render skip at the start, as --from skips them.
    std::int64_t start = 0;
    // waveNN lines, as Session::drawnWaves: the samples of each drawn wave.
    std::vector<std::vector<double>> drawnWaves;
};

// Lays the session out at `rate` samples per second (8000 to 192000). Times in
// milliseconds, divided by -q, become the nearest sample (halves round up). A -T that falls
// before the first entry puts that much silence before it; one that falls within the
// session sets `start`. Bells ring from the samples of their entries whatever the changes
// around them, as tracks of their own after a span's slots.
Timeline BuildTimeline(const Session& session, int rate);

}  // namespace session
