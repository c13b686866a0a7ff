// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/hover.h"

#include <cmath>

#include "plot/layout.h"
#include "session/clock.h"
#include "session/timeline_query.h"
#include "session/voice_kind.h"

namespace plot {
namespace {

std::string clock(std::int64_t frames, int rate) {
    return session::FormatFrames(frames, rate, session::ClockStyle::Running);
}

const char* changeName(session::Change change) {
    switch (change) {
        case session::Change::Slide:
            return "slide";
        case session::Change::Silence:
            return "fade through silence";
        case session::Change::Crossfade:
        case session::Change::Hold:
            break;
    }
    return "crossfade";
}

std::string changeText(const session::Timeline& t, std::int64_t frame) {
    const session::NextChange next = session::NextChangeAt(t, frame);
    if (next.when == session::NextChange::When::None) {
        return t.end == session::kEndless ? "plays on without end" : "no more changes";
    }
    // The window is the period's whose change it is: the one holding its start.
    const int period = session::PeriodAt(t, next.begin);
    const std::string kind = changeName(t.periods[static_cast<std::size_t>(period)].change);
    if (next.when == session::NextChange::When::Running) {
        return kind + ", " + clock(next.end - frame, t.rate) + " to go";
    }
    return kind + " in " + clock(next.begin - frame, t.rate);
}

}  // namespace

std::string Hover::Text() const {
    std::string text = time;
    if (!period.empty()) {
        text += "  " + period;
    }
    for (const std::string& voice : voices) {
        text += "\n" + voice;
    }
    return change.empty() ? text : text + "\n" + change;
}

std::optional<Hover> HoverAt(const QRectF& rect, const session::Session& session,
                             const session::Timeline& timeline, const PlotView& view, double x) {
    const Layout layout = LayOut(rect, timeline, view);
    if (x < layout.left() || x > layout.right()) {
        return std::nullopt;
    }
    Hover hover;
    hover.seconds = std::max(0.0, layout.SecondsAt(x));
    hover.frame = std::llround(hover.seconds * timeline.rate);
    if (hover.frame >= timeline.end) {
        return std::nullopt;
    }
    hover.time = clock(hover.frame, timeline.rate);
    const int period = session::PeriodAt(timeline, hover.frame);
    if (period >= 0) {
        const session::Entry& entry =
            session.entries[timeline.periods[static_cast<std::size_t>(period)].entry];
        hover.period = session.sets[entry.set].name;
        hover.change = changeText(timeline, hover.frame);
    }
    const auto ring = static_cast<std::int64_t>(session::kBellSeconds * timeline.rate);
    for (const session::VoiceAt& voice : session::VoicesAt(timeline, hover.frame)) {
        const session::Track& track = *voice.track;
        if (track.kind == session::VoiceKind::Bell &&
            (hover.frame < track.strike || hover.frame >= track.strike + ring)) {
            continue;  // not ringing here
        }
        const session::VoiceKindInfo& info = session::KindOf(track.kind);
        const int percent = static_cast<int>(std::lround(100 * voice.state.amplitude));
        std::string text = info.status(voice.state, percent);
        // Where the status line's words do not start with the kind, its name comes first.
        if (info.word == nullptr || text.rfind(info.word, 0) != 0) {
            text = std::string(info.name) + " " + text;
        }
        hover.voices.push_back(text);
    }
    return hover;
}

}  // namespace plot
