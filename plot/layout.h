// SPDX-License-Identifier: GPL-3.0-or-later
// Where each part of the timeline picture goes in its rectangle, and how seconds and values
// map to pixels there. The drawing, the hover query and the window's clicks share it.
#pragma once

#include <QRectF>

#include "plot/plot_view.h"
#include "session/timeline.h"

namespace plot {

// A value axis: `low` at the bottom of `area`, `high` at its top.
struct Scale {
    QRectF area;
    double low = 0.0;
    double high = 1.0;
    double step = 1.0;  // between labelled ticks
    double YOf(double value) const;
};

struct Layout {
    QRectF title;    // the session's name and length, and the legend
    QRectF periods;  // the periods' names
    Scale rhythm;    // beats, pulses and spin rates, in hertz
    Scale carrier;   // carriers and bells, in hertz
    Scale level;     // each voice's level, in percent
    QRectF axis;     // the time labels under the panels
    double fontPixels = 12.0;
    double from = 0.0;  // the seconds in view, at the panels' left and right edges
    double to = 1.0;
    bool endless = false;  // the session plays on past the right edge

    double XOf(double seconds) const;
    double SecondsAt(double x) const;
    double left() const { return rhythm.area.left(); }
    double right() const { return rhythm.area.right(); }
};

// How far a session that plays on without end is drawn: its last entry and a fifth as
// long again, at least five minutes more.
double EndlessSeconds(const session::Timeline& timeline);

struct TimeRange {
    double from = 0.0;
    double to = 0.0;
};

// The seconds in view: the view's own, or the whole session.
TimeRange VisibleRange(const session::Timeline& timeline, const PlotView& view);

Layout LayOut(const QRectF& rect, const session::Timeline& timeline, const PlotView& view);

}  // namespace plot
