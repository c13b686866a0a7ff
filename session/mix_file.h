// SPDX-License-Identifier: GPL-3.0-or-later
// The mix file of a session (`-m FILE`, `--mix FILE`): any sound file libsndfile reads,
// streamed, resampled to the session's rate with libsoxr when its own rate differs, and
// looped without a gap. The session's frame n hears the mix's frame n mod L, L being the
// file's length at the session's rate, so a start part way hears what a render from the
// start has there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace session {

struct MixInfo {
    std::string format;           // as libsndfile names it, e.g. "FLAC (Free Lossless Audio Codec)"
    int fileRate = 0;             // the file's own sample rate
    int channels = 0;             // 1 or 2
    std::int64_t fileFrames = 0;  // at the file's rate
    std::int64_t loopFrames = 0;  // L: one pass of the file at the session's rate, at least 1
};

class MixStream {
  public:
    virtual ~MixStream() = default;

    virtual const MixInfo& Info() const = 0;

    // Goes to the session's frame `frame` (the mix's frame `frame` mod L). Cost: a seek in
    // the file, or, when resampling, decoding the pass up to that point again, so that the
    // frames after it are exactly those a play from the start has there.
    virtual void Seek(std::int64_t frame) = 0;

    // The next `frames` frames, interleaved left and right, within ±1 (a mono file plays
    // the same in both). A file that ends before its header said is silent to the end of
    // the pass.
    virtual void Read(double* stereo, std::size_t frames) = 0;
};

// Opens `path` to play at `rate`, decoded on the thread that reads it. Null when it cannot,
// with `error` set to the reason (the library's words, or a file with more than two
// channels). OpenMix (mix_ahead.h) decodes it ahead on threads of its own.
std::unique_ptr<MixStream> OpenMixFile(const std::string& path, int rate, std::string& error);

}  // namespace session
