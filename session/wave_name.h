// SPDX-License-Identifier: GPL-3.0-or-later
// The names a file gives waves ("square", "wave07"), as a voice's prefix and -w write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace session {

// kSine, kSquare, kTriangle, kSawtooth or kDrawnWave + NN for "sine" ... "wave99"; nothing
// for any other text.
std::optional<int> WaveOfName(std::string_view name);

// The name of a wave as WaveOfName reads it.
std::string WaveName(int wave);

constexpr const char* kWaveNames = "sine, square, triangle, sawtooth or wave00 to wave99";

}  // namespace session
