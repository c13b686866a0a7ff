// SPDX-License-Identifier: GPL-3.0-or-later
// The mix of a block of frames, exactly as ReferenceFrame makes each one, computed with the
// polynomial sine on whole vectors. Where the polynomial's error could move a sample, that
// frame is made again by ReferenceFrame itself.
#pragma once

#include <cstdint>

#include "session/sample.h"

namespace session {

// A mix block holds at most this many frames.
constexpr int kMixBlock = 512;

// One voice over a block. Its amplitude at the block's frame i is
// ampBase + ampSlope × (first + i), the track's linear interpolation at that position.
struct MixTrack {
    MixForm form = MixForm::Both;
    double ampBase = 0.0;
    double ampSlope = 0.0;
    // Per frame, kMixBlock readable values each: phaseA (or the signal of a Signal form)
    // and phaseB, as VoiceSample takes them. Phases lie in [0, 2π].
    const double* a = nullptr;
    const double* b = nullptr;
};

struct MixBlock {
    const MixTrack* tracks = nullptr;
    int count = 0;
    double first = 0.0;  // the span position of frame 0
    int frames = 0;      // 1 to kMixBlock
    SampleFormat format = kPcm16;
    // How far the fast mix's scaled value may be from ReferenceFrame's (MixGuard).
    double guard = 0.0;
};

// The largest amount by which the fast mix's value (the sum times full scale, before
// truncation) can differ from ReferenceFrame's, for voices whose amplitudes stay within
// `amplitude` in size and whose terms (amplitude × gain × sine, or amplitude × noise)
// stay within `amplitude` × `peak` (peak 1 for tones).
struct GuardTerm {
    MixForm form;
    double amplitude;
    double peak;
};
double MixGuard(const GuardTerm* terms, int count, const SampleFormat& format);

// Writes block.frames interleaved frames.
void MixFrames(const MixBlock& block, std::int16_t* out);
void MixFrames(const MixBlock& block, std::int32_t* out);

}  // namespace session
