#include "cli/session_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/clock_text.h"

namespace cli {
namespace {

using session::VoiceKind;

std::string voiceText(const session::Track& track, double t) {
    auto at = [t](double from, double to) { return from + (to - from) * t; };
    const double carrier = at(track.from.carrier, track.to.carrier);
    const double beat = at(track.from.beat, track.to.beat);
    const int level =
        static_cast<int>(std::lround(100 * at(track.from.amplitude, track.to.amplitude)));
    char text[96];
    switch (track.kind) {
        case VoiceKind::Binaural:
            std::snprintf(text, sizeof text, "%.1f|%.1f Hz %d%%", carrier + beat / 2,
                          carrier - beat / 2, level);
            break;
        case VoiceKind::Tone:
            std::snprintf(text, sizeof text, "%.1f Hz %d%%", carrier, level);
            break;
        case VoiceKind::Isochronic:
            std::snprintf(text, sizeof text, "%.1f Hz @%.1f %d%%", carrier,
                          at(track.from.pulse, track.to.pulse), level);
            break;
        case VoiceKind::Pink:
            std::snprintf(text, sizeof text, "pink %d%%", level);
            break;
        case VoiceKind::White:
            std::snprintf(text, sizeof text, "white %d%%", level);
            break;
        case VoiceKind::Brown:
            std::snprintf(text, sizeof text, "brown %d%%", level);
            break;
        case VoiceKind::None:
            text[0] = '\0';
            break;
    }
    return text;
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
            return "next change in " + ClockText(c.changeBegin - frame, timeline.rate);
        }
        return "changing, " + ClockText(c.changeEnd - frame, timeline.rate) + " to go";
    }
    return timeline.end == session::kEndless ? "plays on" : "no more changes";
}

}  // namespace

std::string StatusLine(const session::Session& session, const session::Timeline& timeline,
                       std::int64_t frame) {
    std::string line = ClockText(frame, timeline.rate) + " / " +
                       (timeline.end == session::kEndless ? std::string("endless")
                                                          : ClockText(timeline.end, timeline.rate));
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
