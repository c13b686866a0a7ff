// SPDX-License-Identifier: GPL-3.0-or-later
// What a timeline holds at one frame: the period and span playing, each voice's values, and
// when the sound next changes. The terminal's status line, the timeline picture and the
// session window all ask these, so that they never disagree about a moment.
#pragma once

#include <cstdint>
#include <vector>

#include "session/timeline.h"

namespace session {

// The index of the period that holds `frame`: the last whose entry has begun by then.
// -1 before the first entry (the silence a -T before it puts there).
int PeriodAt(const Timeline& timeline, std::int64_t frame);

// The index of the span that holds `frame`; -1 past the session's end.
int SpanAt(const Timeline& timeline, std::int64_t frame);

// A track's values at `frame` of its span, moved linearly from `from` to `to`.
VoiceState StateAt(const Span& span, const Track& track, std::int64_t frame);

struct VoiceAt {
    const Track* track = nullptr;  // points into the timeline asked
    VoiceState state;
};

// Every track of the span that holds `frame` (a bell's among them, struck or not yet),
// in the span's order, with its values there. Empty past the end.
std::vector<VoiceAt> VoicesAt(const Timeline& timeline, std::int64_t frame);

struct NextChange {
    enum class When {
        Coming,   // the next change begins at `begin`
        Running,  // a change runs now, until `end`
        None,     // nothing changes any more: the session ends, or plays on as it is
    };
    When when = When::None;
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// The first change window not yet over at `frame`: one that began in the period before
// may still be running.
NextChange NextChangeAt(const Timeline& timeline, std::int64_t frame);

}  // namespace session
