// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of a whole session, drawn from its timeline: the beats, pulses and spin rates
// against time, the carriers on their own scale, each voice's level with noise and the mix as
// bands, bells as marks, the periods named along the top, and the changes shaded. One
// drawing for the session window, a PNG and an SVG.
#pragma once

#include <QPainter>
#include <QRectF>

#include "plot/layout.h"
#include "plot/plot_view.h"
#include "session/session.h"
#include "session/timeline.h"

namespace plot {

// The play line alone, at `seconds`, where `layout` puts it: a window that keeps the rest
// of the picture draws it over that as play moves on.
void DrawPlayLine(QPainter& painter, const Layout& layout, const Palette& palette, double seconds);

void DrawTimeline(QPainter& painter, const QRectF& rect, const session::Session& session,
                  const session::Timeline& timeline, const PlotView& view);

}  // namespace plot
