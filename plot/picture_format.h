// SPDX-License-Identifier: GPL-3.0-or-later
// The picture formats `plot` writes, and the one a file name asks for. Header-only, so that
// the command line can refuse a name before anything is drawn.
#pragma once

#include <optional>
#include <string>

#include "session/file_format.h"

namespace plot {

enum class PictureFormat { Png, Svg };

// From the name's extension, .png or .svg in any case; nothing for any other.
inline std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
    if (session::HasExtension(path, ".png")) {
        return PictureFormat::Png;
    }
    if (session::HasExtension(path, ".svg")) {
        return PictureFormat::Svg;
    }
    return std::nullopt;
}

}  // namespace plot
