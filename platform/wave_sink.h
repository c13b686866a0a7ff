// SPDX-License-Identifier: GPL-3.0-or-later
// What a waveform output device must do underneath waveOut*: take the bytes of one block
// at a time, in order, on the device's writer thread. Queueing, done reports, reset,
// close and volume are common to every device and live in wave_out.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/types.h"

namespace plat {

class WaveSink {
  public:
    virtual ~WaveSink() = default;

    // Opens the device for the format. Called on the caller's thread by waveOutOpen;
    // false means the device cannot be opened.
    virtual bool open(const WAVEFORMATEX& format) = 0;
    // After a failed open: why, naming the device ("" when there is nothing to add).
    virtual std::string failure() const { return {}; }

    // Plays one piece of a block, `bytes` bytes (whole frames) starting at `offset`;
    // `data` is the volume-scaled copy of that piece and `last` marks the block's end.
    // Blocks are handed over in pieces so that a volume change is heard within a piece.
    // Called on the writer thread; returns early, the rest unplayed, once `abort` is set.
    struct Piece {
        const WAVEHDR* hdr;
        const char* data;
        std::size_t bytes;
        std::size_t offset;
        bool last;
    };
    virtual void write(const Piece& piece, const std::atomic<bool>& abort) = 0;

    // True once the device cannot go on for this opening; read on the writer thread after
    // each write. Writes after it still return at the pace the piece would have played.
    virtual bool lost() const { return false; }

    // Frames given to write since the device opened or last discarded that it had not
    // played when last it could tell: once lost, what never reached the ear. Read on the
    // writer thread.
    virtual std::uint64_t held() const { return 0; }

    // Wakes a write that waits for the device; called after `abort` has been set.
    virtual void interrupt() {}

    // Throws away whatever the device still holds; called on the writer thread after a
    // reset, before the next write.
    virtual void discard() {}

    // Closes the device; the writer thread has ended.
    virtual void close() = 0;
};

using WaveSinkFactory = std::function<std::unique_ptr<WaveSink>()>;

// The device that waveOutOpen opens from now on. An empty factory restores the default,
// the ALSA PCM "default".
void SetWaveSinkFactory(WaveSinkFactory factory);

std::unique_ptr<WaveSink> MakeAlsaWaveSink();

}  // namespace plat
