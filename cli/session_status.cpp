// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_status.h"

#include <algorithm>
#include <cmath>

#include "session/clock.h"
#include "session/voice_kind.h"

namespace cli {
namespace {

std::string clock(std::int64_t frames, int rate) {
    return session::FormatFrames(frames, rate, session::ClockStyle::Running);
}

std::string voiceText(const session::Track& track, double t) {
    auto at = [t](double from, double to) { return from + (to - from) * t; };
    const session::VoiceState now{
        at(track.from.carrier, track.to.carrier), at(track.from.beat, track.to.beat),
        at(track.from.pulse, track.to.pulse), at(track.from.amplitude, track.to.amplitude)};
    return session::KindOf(track.kind)
        .status(now, static_cast<int>(std::lround(100 * now.amplitude)));
}

// When the sound next changes: the first change window not yet over (one that began in
// the period before may still be running).
std::string changeText(const session::Timeline& timeline, std::size_t period, std::int64_t frame) {
    const std::size_t first = period > 0 ? period - 1 : 0;
    for (std::size_t p = first; p < timeline.periods.size(); ++p) {
        const session::Period& c = timeline.periods[p];
        if (c.change == session::Change::Hold || c.changeEnd <= frame) {
            continue;
        }
        if (c.changeBegin > frame) {
            return "next change in " + clock(c.changeBegin - frame, timeline.rate);
        }
        return "changing, " + clock(c.changeEnd - frame, timeline.rate) + " to go";
    }
    return timeline.end == session::kEndless ? "plays on" : "no more changes";
}

}  // namespace

std::string StatusLine(const session::Session& session, const session::Timeline& timeline,
                       std::int64_t frame) {
    std::string line = clock(frame, timeline.rate) + " / " +
                       (timeline.end == session::kEndless ? std::string("endless")
                                                          : clock(timeline.end, timeline.rate));
    const auto period = std::find_if(timeline.periods.rbegin(), timeline.periods.rend(),
                                     [&](const session::Period& p) { return p.begin <= frame; });
    if (period != timeline.periods.rend()) {
        const session::Entry& entry = session.entries[period->entry];
        line += "  " + session.sets[entry.set].name;
    }
    const auto span = std::find_if(timeline.spans.begin(), timeline.spans.end(),
                                   [&](const session::Span& s) { return frame < s.end; });
    if (span != timeline.spans.end() && frame >= span->begin) {
        const double t = span->end == session::kEndless
                             ? 0.0
                             : static_cast<double>(frame - span->begin) /
                                   static_cast<double>(span->end - span->begin);
        for (const session::Track& track : span->tracks) {
            line += "  " + voiceText(track, t);
        }
    }
    if (period != timeline.periods.rend()) {
        const auto index = static_cast<std::size_t>(timeline.periods.rend() - period - 1);
        line += "  " + changeText(timeline, index, frame);
    }
    return line;
}

}  // namespace cli
