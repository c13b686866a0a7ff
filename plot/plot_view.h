// SPDX-License-Identifier: GPL-3.0-or-later
// What a drawing of the timeline shows: the stretch of time in view (zoom and pan), the play
// position, and the colours.
#pragma once

#include <optional>

#include "plot/palette.h"

namespace plot {

struct PlotView {
    // The seconds in view. When `to` is not after `from`, the whole session: to its end, or
    // for one that plays on without end, past its last entry by a while (EndlessSeconds).
    double from = 0.0;
    double to = 0.0;
    std::optional<double> play;  // seconds: where the play line stands, if anywhere
    Palette palette = LightPalette();
};

}  // namespace plot
