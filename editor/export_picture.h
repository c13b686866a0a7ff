// SPDX-License-Identifier: GPL-3.0-or-later
// File ▸ Export Picture: the whole timeline as PNG or SVG, the picture `tovin-cli plot` draws.
#pragma once

#include <QSize>
#include <QString>
#include <optional>

#include "player/play_item.h"

namespace editor {

// Writes the picture at `size` (at least 640 by 360); the reason when it cannot.
std::optional<QString> ExportPicture(const player::PlayItem& item, const QString& path, QSize size);

}  // namespace editor
