// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_status.h"

#include <cmath>

#include "session/clock.h"
#include "session/timeline_query.h"
#include "session/voice_kind.h"

namespace cli {
namespace {

std::string clock(std::int64_t frames, int rate) {
    return session::FormatFrames(frames, rate, session::ClockStyle::Running);
}

std::string changeText(const session::Timeline& timeline, std::int64_t frame) {
    const session::NextChange next = session::NextChangeAt(timeline, frame);
    switch (next.when) {
        case session::NextChange::When::Coming:
            return "next change in " + clock(next.begin - frame, timeline.rate);
        case session::NextChange::When::Running:
            return "changing, " + clock(next.end - frame, timeline.rate) + " to go";
        case session::NextChange::When::None:
            break;
    }
    return timeline.end == session::kEndless ? "plays on" : "no more changes";
}

}  // namespace

std::string StatusLine(const session::Session& session, const session::Timeline& timeline,
                       std::int64_t frame) {
    std::string line = clock(frame, timeline.rate) + " / " +
                       (timeline.end == session::kEndless ? std::string("endless")
                                                          : clock(timeline.end, timeline.rate));
    const int period = session::PeriodAt(timeline, frame);
    if (period >= 0) {
        const session::Entry& entry = session.entries[timeline.periods[period].entry];
        line += "  " + session.sets[entry.set].name;
    }
    for (const session::VoiceAt& voice : session::VoicesAt(timeline, frame)) {
        const int percent = static_cast<int>(std::lround(100 * voice.state.amplitude));
        line += "  " + session::KindOf(voice.track->kind).status(voice.state, percent);
    }
    if (period >= 0) {
        line += "  " + changeText(timeline, frame);
    }
    return line;
}

}  // namespace cli
