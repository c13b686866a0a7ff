// SPDX-License-Identifier: GPL-3.0-or-later
// The play, pause and stop symbols of the transport, drawn in the colour of the buttons'
// text: the style's own are dark pictures that all but vanish on a dark palette.
#pragma once

#include <QColor>
#include <QIcon>

namespace editor {

enum class Glyph { Play, Pause, Stop };

// The symbol at the usual icon sizes, so that it stays sharp at 1.5 and 2 times the scale;
// its disabled look is Qt's, made from it.
QIcon TransportIcon(Glyph glyph, const QColor& colour);

}  // namespace editor
