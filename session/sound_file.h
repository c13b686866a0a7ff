// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files of sessions: WAV (16 or 24 bits), FLAC (16 or 24), Ogg Vorbis, MP3 and Opus,
// written through libsndfile. A file never states more sound than it holds: when a write
// fails, the file is cut back to the last whole frame (WAV), FLAC frame, Ogg page (Vorbis
// and Opus) or the encoder's last whole write (MP3), and its header states what remains (a
// FLAC file's length stays "unknown", as the format allows; the others state none).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "session/file_format.h"

namespace session {

// Why a file could not be made or written: a system call's errno, or the encoder's words.
struct FileFault {
    int error = 0;
    std::string library;
    std::string Reason() const;
};

class SoundFile {
  public:
    virtual ~SoundFile() = default;

    // Appends interleaved stereo frames: 16-bit samples, or 24-bit ones in an int32 each.
    // False once a write has failed; nothing more is written after that.
    virtual bool Write(const std::int16_t* frames, int count) = 0;
    virtual bool Write(const std::int32_t* frames, int count) = 0;

    // Completes the file (its header, the encoder's last frames) and closes it. False when
    // something failed along the way, the file then holding what was written before.
    virtual bool Close() = 0;

    virtual const FileFault& Fault() const = 0;

    // After Close: how many frames the file's header states, when the format states it.
    virtual std::optional<std::int64_t> FramesStated() const = 0;
};

struct CreatedFile {
    std::unique_ptr<SoundFile> file;  // null when it failed
    FileFault fault;
    // Set when the file was created but its first write (the header) failed: the file is
    // there, empty. Otherwise a failure left nothing created.
    bool writeFailed = false;
};

// Creates (or replaces) the file at `path` for `frames` stereo frames at `rate`; `bits` is
// 16 or 24 (Ogg Vorbis has no sample size and takes either). A WAV file too long for the
// 4 GiB that RIFF sizes can state is written as RF64, the same with 64-bit sizes.
CreatedFile CreateSoundFile(const std::string& path, FileFormat format, int rate, int bits,
                            std::int64_t frames);

}  // namespace session
