// SPDX-License-Identifier: GPL-3.0-or-later
// The sound file formats a session renders to, and the one a file name asks for.
#pragma once

#include <strings.h>

#include <cstring>
#include <optional>
#include <string>

namespace session {

enum class FileFormat { Wav, Flac, Ogg, Mp3, Opus };

// The extensions a render writes, as messages list them.
inline constexpr const char* kFormatExtensions = ".wav, .flac, .ogg, .mp3 or .opus";

// Whether --bits chooses anything: lossy encoders take the samples whatever their size.
inline bool HasBitDepth(FileFormat format) {
    return format == FileFormat::Wav || format == FileFormat::Flac;
}

// The rates an Opus encoder takes; a render to .opus without one of them asked for is made
// at 48000 Hz, the synthesis being exact at any rate.
inline bool OpusTakes(int rate) {
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}

// Whether a file name ends in `extension` (".wav"), in any case; a name that is only the
// extension does not.
inline bool HasExtension(const std::string& path, const char* extension) {
    const std::size_t n = std::strlen(extension);
    return path.size() > n && strcasecmp(path.c_str() + path.size() - n, extension) == 0;
}

// The format a file name asks for by its extension (.wav, .flac, .ogg, .mp3, .opus, in any
// case); a name that is only the extension asks for none.
inline std::optional<FileFormat> FormatOfPath(const std::string& path) {
    const auto endsWith = [&path](const char* extension) { return HasExtension(path, extension); };
    if (endsWith(".wav")) {
        return FileFormat::Wav;
    }
    if (endsWith(".flac")) {
        return FileFormat::Flac;
    }
    if (endsWith(".ogg")) {
        return FileFormat::Ogg;
    }
    if (endsWith(".mp3")) {
        return FileFormat::Mp3;
    }
    if (endsWith(".opus")) {
        return FileFormat::Opus;
    }
    return std::nullopt;
}

}  // namespace session
