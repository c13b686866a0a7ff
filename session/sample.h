// SPDX-License-Identifier: GPL-3.0-or-later
// What one sample of a session is. Everything faster in the synthesis must come out
// exactly as ReferenceFrame makes it from the same inputs.
#pragma once

#include <cstdint>

#include "engine/poly_sine.h"
#include "session/voice_kind.h"

namespace session {

// The integer format of a render: the mixed value times fullScale, truncated toward zero
// and clamped to [low, high].
struct SampleFormat {
    double fullScale;
    std::int32_t low;
    std::int32_t high;
};
constexpr SampleFormat kPcm16{32767.0, -32768, 32767};
constexpr SampleFormat kPcm24{8388607.0, -8388608, 8388607};

// The nearest doubles to π and 2π: the wrap of every phase and the half period of the
// isochronic pulse.
using tone::kPi;
using tone::kTwoPi;

// One voice at one sample, as the mix takes it.
struct VoiceSample {
    MixForm form = MixForm::Both;
    double amplitude = 0.0;  // fraction of full scale
    double phaseA = 0.0;     // Ears: the left ear; Both and Pulsed: the carrier
    double phaseB = 0.0;     // Ears: the right ear; Pulsed: the pulse
    double noise = 0.0;      // Signal: the signal's value at this sample; Stereo: the left's
    double noiseB = 0.0;     // Stereo: the right signal's value
};

// The integer sample of a mixed value: round toward zero of mixed × fullScale, clamped.
std::int32_t ToSample(double mixed, const SampleFormat& format);

// The reference of what a frame is. For each ear, starting from 0.0 and adding one term
// per voice in the given (slot) order, left to right, as its MixForm says (Signal takes
// `noise` for its signal, Stereo `noise` and `noiseB` for its two), with sin the runtime
// library's, all in double; then each ear's sum goes through ToSample.
void ReferenceFrame(const VoiceSample* voices, int count, const SampleFormat& format,
                    std::int32_t& left, std::int32_t& right);

}  // namespace session
