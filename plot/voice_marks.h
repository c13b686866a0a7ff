// SPDX-License-Identifier: GPL-3.0-or-later
// The voices in the timeline picture: each one's beat, pulse or spin rate, carrier and level
// as lines, noise and the mix as filled bands, and bells as marks at their strikes.
#pragma once

#include <QPainter>

#include "plot/layout.h"
#include "plot/palette.h"
#include "session/timeline.h"

namespace plot {

// Draws them over the panels of `layout`; the caller clips to the panels.
void DrawVoices(QPainter& painter, const Layout& layout, const session::Timeline& timeline,
                const Palette& palette);

}  // namespace plot
