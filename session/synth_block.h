// SPDX-License-Identifier: GPL-3.0-or-later
// A stretch of a render on its way from Synth::Prepare to Synth::Finish, which may run on
// two threads: the voices' phases and noise for each piece of it, or frames already made.
#pragma once

#include <cstdint>
#include <vector>

#include "session/fast_mix.h"

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
    };
    std::vector<Piece> pieces;  // reused from one block to the next
    int count = 0;              // how many of them this block uses
};

}  // namespace session
