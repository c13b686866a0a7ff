// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of session/voice_kind.h, one file each (the noises share one, and the spins
// another: they differ only in colour). voice_kind.cpp lists them.
#pragma once

#include "session/voice_kind.h"

namespace session::kinds {

extern const VoiceKindInfo kBinaural;
extern const VoiceKindInfo kTone;
extern const VoiceKindInfo kIsochronic;
extern const VoiceKindInfo kPink;
extern const VoiceKindInfo kWhite;
extern const VoiceKindInfo kBrown;
extern const VoiceKindInfo kSpin;
extern const VoiceKindInfo kBrownSpin;
extern const VoiceKindInfo kWhiteSpin;
extern const VoiceKindInfo kBell;
extern const VoiceKindInfo kMix;

// "205 Hz": a frequency as check shows it.
std::string Hertz(double value);

// "%.1f Hz 40%"-style text for the status line, printf-formatted.
std::string StatusText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace session::kinds
