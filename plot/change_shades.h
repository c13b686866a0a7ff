// SPDX-License-Identifier: GPL-3.0-or-later
// The windows of the changes, shaded across the panels of the timeline picture in the colour
// of their kind: crossfade, slide, or a fade through silence.
#pragma once

#include <QPainter>

#include "plot/layout.h"
#include "plot/palette.h"
#include "session/timeline.h"

namespace plot {

void DrawChangeShades(QPainter& painter, const Layout& layout, const session::Timeline& timeline,
                      const Palette& palette);

}  // namespace plot
