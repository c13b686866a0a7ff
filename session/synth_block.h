// SPDX-License-Identifier: GPL-3.0-or-later
// A stretch of a render on its way from Synth::Prepare to Synth::Finish, which may run on
// two threads: the voices' phases and noise for each piece of it, or frames already made.
// All that does not go sample after sample waits for Finish: the sines, the mix and a
// spin's ears.
#pragma once

#include <cstdint>
#include <vector>

#include "session/fast_mix.h"
#include "session/voice_signals.h"

namespace session {

struct SynthBlock {
    // At most a mix block of frames, within one span.
    struct Piece {
        enum class Kind { Silent, Ready, Mix } kind = Kind::Silent;
        int frames = 0;
        MixBlock mix;                     // Mix: its tracks point into `tracks` and `values`
        std::vector<MixTrack> tracks;     // Mix
        std::vector<double> values;       // Mix: phases and noise, kMixBlock values each
        std::vector<std::int32_t> ready;  // Ready: the frames as the reference made them
        // Mix: each spin's ears, which Finish works out into the rows of its phases (a)
        // and of its right ear (b), their widths widthBase + widthSlope × (first + i).
        struct Spin {
            int rowA = 0;
            int rowB = 0;
            double widthBase = 0.0;
            double widthSlope = 0.0;
            double first = 0.0;
            SpinWindow window;
        };
        std::vector<Spin> spins;  // reused; `spinCount` of them in use
        int spinCount = 0;
    };
    std::vector<Piece> pieces;  // reused from one block to the next
    int count = 0;              // how many of them this block uses
};

}  // namespace session
