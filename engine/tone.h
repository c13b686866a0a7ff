// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of one channel of the beat tone, shared by the block fill and the WAV
// render so that both make the same samples from the same phases.
#pragma once

#include <cmath>
#include <cstdint>

namespace tone {

// A "full turn" of 6.28318 (not 2π) is part of the tone's sound: it sets the phase step
// and the wrap.
constexpr double kTurn = 6.28318;
constexpr double kRate = 44100.0;
constexpr double kScale = 32768.0;

// The carriers the engine plays, in tenths of a hertz (100.0 to 880.0 Hz); SetTone turns
// any other into the fallback. tovin-cli refuses the others instead.
constexpr std::int32_t kMinCarrier = 1000;
constexpr std::int32_t kMaxCarrier = 8800;
constexpr std::int32_t kFallbackCarrier = 1500;

// Phase advance per frame for a frequency in tenths of a hertz: multiply, then divide.
inline double PhaseStep(std::int32_t tenths) {
    return (kTurn * (tenths / 10.0)) / kRate;
}

// The sample for one phase: sin × 32768 truncated toward zero. sin() of exactly 1.0 would
// give +32768, one past the largest sample, so that one value is kept at 32767.
inline std::int16_t ToSample(double phase) {
    const auto v = static_cast<std::int32_t>(std::sin(phase) * kScale);
    return static_cast<std::int16_t>(v > 32767 ? 32767 : v);
}

// Moves a phase on by one frame; the wrap happens once, and only strictly past the turn.
inline double NextPhase(double phase, double step) {
    phase += step;
    if (phase > kTurn) {
        phase -= kTurn;
    }
    return phase;
}

}  // namespace tone
