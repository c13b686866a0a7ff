// SPDX-License-Identifier: GPL-3.0-or-later
// One voice as a tone-set line writes it: "-", "200+10/20", "300@8/15", "pink/40".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "session/session.h"

namespace session {

struct VoiceRead {
    Voice voice;
    std::string error;       // empty when the voice was read
    std::size_t offset = 0;  // where in the word the error is
    bool ownWave = false;    // a prefix gave the wave ("square:200/10"), which -w leaves alone
};

// Reads one blank-separated word, with a waveform prefix on a tone voice. What holds at any sample
// rate is checked here (numbers, amplitude, a pulse above 0); the limit of half the rate is
// session/rate_check.h's. An ear's frequency may be 0 (silence) or negative (the sine running
// backwards).
VoiceRead ReadVoice(std::string_view word);

}  // namespace session
