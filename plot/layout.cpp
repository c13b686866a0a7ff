// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "session/voice_kind.h"

namespace plot {
namespace {

constexpr double kNoCap = std::numeric_limits<double>::infinity();

struct Extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Take(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    bool Empty() const { return low > high; }
};

// A step of 1, 2, 2.5 or 5 times a power of ten, near `span` / `parts`.
double niceStep(double span, int parts) {
    const double rough = span / parts;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * power >= rough) {
            return m * power;
        }
    }
    return 10 * power;
}

// A range on whole steps holding the values, with a little room around them so that a curve
// at its highest or lowest value does not run along the frame. `fromZero`: the range starts
// at 0 (or below, for negative values); `cap`: it ends there at most.
Scale scaleOf(Extent e, bool fromZero, double cap) {
    if (e.Empty()) {
        e = {0.0, 10.0};
    }
    const double room = 0.05 * std::max(e.high - e.low, std::fabs(e.high));
    const double low = fromZero ? std::min(e.low, 0.0) : e.low - room;
    const double high = std::max(e.high + room, low + 1.0);
    Scale s;
    s.step = niceStep(high - low, 5);
    s.low = std::floor(low / s.step) * s.step;
    s.high = std::min(std::ceil(high / s.step) * s.step, std::max(cap, e.high));
    return s;
}

}  // namespace

double Scale::YOf(double value) const {
    return area.bottom() - (value - low) / (high - low) * area.height();
}

double Layout::XOf(double seconds) const {
    return left() + (seconds - from) / (to - from) * (right() - left());
}

double Layout::SecondsAt(double x) const {
    return from + (x - left()) / (right() - left()) * (to - from);
}

double EndlessSeconds(const session::Timeline& timeline) {
    const double last =
        timeline.periods.empty() ? 0.0 : static_cast<double>(timeline.periods.back().begin);
    const double seconds = last / timeline.rate;
    return seconds + std::max(300.0, seconds / 5);
}

TimeRange VisibleRange(const session::Timeline& timeline, const PlotView& view) {
    if (view.to > view.from) {
        return {view.from, view.to};
    }
    if (timeline.end == session::kEndless) {
        return {0.0, EndlessSeconds(timeline)};
    }
    return {0.0, std::max(1.0, static_cast<double>(timeline.end) / timeline.rate)};
}

Layout LayOut(const QRectF& rect, const session::Timeline& timeline, const PlotView& view) {
    Layout l;
    const TimeRange range = VisibleRange(timeline, view);
    l.from = range.from;
    l.to = range.to;
    l.endless = timeline.end == session::kEndless;

    // The scales hold the whole session, so that zooming and panning keep them still.
    Extent rhythm;
    Extent carrier;
    Extent level;
    for (const session::Span& span : timeline.spans) {
        for (const session::Track& track : span.tracks) {
            const session::VoiceKindInfo& info = session::KindOf(track.kind);
            for (const session::VoiceState* state : {&track.from, &track.to}) {
                if (info.rhythm != nullptr) {
                    rhythm.Take(state->*info.rhythm);
                }
                if (info.pitch != nullptr) {
                    carrier.Take(state->*info.pitch);
                }
                level.Take(100 * state->amplitude);
            }
        }
    }

    const double f = std::clamp(rect.height() / 70, 10.0, 18.0);
    l.fontPixels = std::round(f);
    const double left = rect.left() + 5 * f;
    const double right = rect.right() - 1.5 * f;
    const double gap = 1.2 * f;  // room for the value labels at two panels' facing edges
    l.title = QRectF(left, rect.top() + 0.3 * f, right - left, 1.8 * f);
    l.periods = QRectF(left, l.title.bottom(), right - left, 1.7 * f);
    const double axisHeight = 3.2 * f;
    const double top = l.periods.bottom();
    const double space = std::max(3.0, rect.bottom() - axisHeight - top - 2 * gap);
    double y = top;
    auto panel = [&](double share) {
        const QRectF area(left, y, right - left, space * share);
        y = area.bottom() + gap;
        return area;
    };
    l.rhythm = scaleOf(rhythm, true, kNoCap);
    l.rhythm.area = panel(0.45);
    l.carrier = scaleOf(carrier, false, kNoCap);
    l.carrier.area = panel(0.25);
    l.level = scaleOf(level, true, 100.0);
    l.level.area = panel(0.30);
    l.axis = QRectF(left, l.level.area.bottom(), right - left, axisHeight);
    return l;
}

}  // namespace plot
