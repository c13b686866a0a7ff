// SPDX-License-Identifier: GPL-3.0-or-later
// The timeline picture as a file: PNG drawn on an image, SVG through QtSvg. Both need a
// Qt GUI application for fonts, but no display: the offscreen platform serves.
#pragma once

#include <QSize>
#include <string>

#include "plot/picture_format.h"
#include "plot/plot_view.h"
#include "session/session.h"
#include "session/timeline.h"

namespace plot {

// Writes the picture of the whole session at `size` pixels. "" when written, else why not:
// "cannot write NAME: reason".
std::string WritePicture(const std::string& path, PictureFormat format, QSize size,
                         const session::Session& session, const session::Timeline& timeline,
                         const PlotView& view);

}  // namespace plot
