// SPDX-License-Identifier: GPL-3.0-or-later
// The timeline picture's title row: the session's name and length on the left; on the
// right, what each colour and shade stands for, as far as there is room.
#pragma once

#include <QPainter>

#include "plot/layout.h"
#include "plot/palette.h"
#include "session/session.h"
#include "session/timeline.h"

namespace plot {

void DrawTitle(QPainter& painter, const Layout& layout, const session::Session& session,
               const session::Timeline& timeline, const Palette& palette);

}  // namespace plot
