// SPDX-License-Identifier: GPL-3.0-or-later
// What the timeline picture shows at one x: the time, the period, each voice's values there
// and the change under way or to come. The window shows it as a tooltip.
#pragma once

#include <QRectF>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plot/plot_view.h"
#include "session/session.h"
#include "session/timeline.h"

namespace plot {

struct Hover {
    double seconds = 0.0;
    std::int64_t frame = 0;
    std::string time;                 // "0:12:04", the frame's as the player's clock shows it
    std::string period;               // the tone-set playing, "" before the first entry
    std::vector<std::string> voices;  // "binaural 203.0|197.0 Hz 20%", as the status line
    std::string change;               // "slide, 0:02:56 to go", "next change in 0:01:00"
    std::string Text() const;         // all of it, one item a line
};

// Nothing when `x` lies left or right of the panels or past the session's end.
std::optional<Hover> HoverAt(const QRectF& rect, const session::Session& session,
                             const session::Timeline& timeline, const PlotView& view, double x);

}  // namespace plot
