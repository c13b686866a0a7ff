// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/timeline_query.h"

#include <algorithm>

namespace session {

int PeriodAt(const Timeline& timeline, std::int64_t frame) {
    // Periods begin in time order: the first that begins after the frame, less one.
    const auto after = std::partition_point(timeline.periods.begin(), timeline.periods.end(),
                                            [frame](const Period& p) { return p.begin <= frame; });
    return static_cast<int>(after - timeline.periods.begin()) - 1;
}

int SpanAt(const Timeline& timeline, std::int64_t frame) {
    const auto span = std::partition_point(timeline.spans.begin(), timeline.spans.end(),
                                           [frame](const Span& s) { return s.end <= frame; });
    if (span == timeline.spans.end() || frame < span->begin) {
        return -1;
    }
    return static_cast<int>(span - timeline.spans.begin());
}

VoiceState StateAt(const Span& span, const Track& track, std::int64_t frame) {
    const double t = span.end == kEndless ? 0.0
                                          : static_cast<double>(frame - span.begin) /
                                                static_cast<double>(span.end - span.begin);
    auto at = [t](double from, double to) { return from + (to - from) * t; };
    return {at(track.from.carrier, track.to.carrier), at(track.from.beat, track.to.beat),
            at(track.from.pulse, track.to.pulse), at(track.from.amplitude, track.to.amplitude)};
}

std::vector<VoiceAt> VoicesAt(const Timeline& timeline, std::int64_t frame) {
    std::vector<VoiceAt> voices;
    const int index = SpanAt(timeline, frame);
    if (index < 0) {
        return voices;
    }
    const Span& span = timeline.spans[static_cast<std::size_t>(index)];
    for (const Track& track : span.tracks) {
        voices.push_back({&track, StateAt(span, track, frame)});
    }
    return voices;
}

NextChange NextChangeAt(const Timeline& timeline, std::int64_t frame) {
    const int period = PeriodAt(timeline, frame);
    for (std::size_t p = period > 0 ? static_cast<std::size_t>(period - 1) : 0;
         p < timeline.periods.size(); ++p) {
        const Period& c = timeline.periods[p];
        if (c.change == Change::Hold || c.changeEnd <= frame) {
            continue;
        }
        const auto when =
            c.changeBegin > frame ? NextChange::When::Coming : NextChange::When::Running;
        return {when, c.changeBegin, c.changeEnd};
    }
    return {};
}

}  // namespace session
