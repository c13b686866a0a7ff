// SPDX-License-Identifier: GPL-3.0-or-later
// A waveform device that plays an exact number of frames and no more: `play --seconds N`
// counts the tone it has handed to the sound card, not the time since it started, so the
// start-up and the blocks still queued at the end are never taken off what was asked for.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/wave_sink.h"

namespace cli {

// Wraps `inner` to play `seconds` of sound at the rate the device is opened with. The
// piece that reaches that many frames is cut there; the device is then drained
// (everything written is heard) and closed, and `played` runs on the writer thread. Every
// later piece is held back, unplayed, until the output is reset. `played` must be safe to
// call from any thread (posting a message is).
std::unique_ptr<plat::WaveSink> PlayFor(std::unique_ptr<plat::WaveSink> inner,
                                        std::uint64_t seconds, std::function<void()> played);

}  // namespace cli
