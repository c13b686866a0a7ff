// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/voice_kind.h"

#include <cstdarg>
#include <cstdio>

#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session {
namespace {

// The one list of kinds.
constexpr const VoiceKindInfo* kKinds[] = {
    &kinds::kBinaural,  &kinds::kTone,  &kinds::kIsochronic, &kinds::kPink,
    &kinds::kWhite,     &kinds::kBrown, &kinds::kSpin,       &kinds::kBrownSpin,
    &kinds::kWhiteSpin, &kinds::kBell,  &kinds::kMix,
};

}  // namespace

const VoiceKindInfo& KindOf(VoiceKind kind) {
    for (const VoiceKindInfo* info : kKinds) {
        if (info->kind == kind) {
            return *info;
        }
    }
    return kinds::kTone;  // not reached: every voice that sounds has a kind in the list
}

VoiceKind SoundingKind(VoiceKind kind) {
    if (kind == VoiceKind::None) {
        return kind;
    }
    const VoiceKind as = KindOf(kind).soundsAs;
    return as == VoiceKind::None ? kind : as;
}

std::span<const VoiceKindInfo* const> VoiceKinds() {
    return kKinds;
}

bool SameValues(const Voice& a, const Voice& b) {
    return SoundingKind(a.kind) == SoundingKind(b.kind) && a.carrier == b.carrier &&
           a.beat == b.beat && a.pulse == b.pulse && a.wave == b.wave;
}

VoiceState StateOf(const Voice& v, double scale) {
    return {v.carrier, v.beat, v.pulse, v.amplitude / 100 * scale};
}

}  // namespace session

namespace session::kinds {

std::string Hertz(double value) {
    return FormatDecimal(value) + " Hz";
}

std::string StatusText(const char* format, ...) {
    char text[96];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace session::kinds
