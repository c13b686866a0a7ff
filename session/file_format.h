// SPDX-License-Identifier: GPL-3.0-or-later
// The sound file formats a session renders to, and the one a file name asks for.
#pragma once

#include <strings.h>

#include <cstring>
#include <optional>
#include <string>

namespace session {

enum class FileFormat { Wav, Flac, Ogg };

// The format a file name asks for by its extension (.wav, .flac, .ogg, in any case); a
// name that is only the extension asks for none.
inline std::optional<FileFormat> FormatOfPath(const std::string& path) {
    const auto endsWith = [&path](const char* extension) {
        const std::size_t n = std::strlen(extension);
        return path.size() > n && strcasecmp(path.c_str() + path.size() - n, extension) == 0;
    };
    if (endsWith(".wav")) {
        return FileFormat::Wav;
    }
    if (endsWith(".flac")) {
        return FileFormat::Flac;
    }
    if (endsWith(".ogg")) {
        return FileFormat::Ogg;
    }
    return std::nullopt;
}

}  // namespace session
