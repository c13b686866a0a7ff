// SPDX-License-Identifier: GPL-3.0-or-later
// C+B/A and C-B/A: the left ear hears C + B/2 Hz and the right C - B/2 Hz, a sine each.
// A beat wider than twice the carrier takes an ear below 0: that ear's phase steps
// backwards, the sine of its size running backwards (real files rely on it).
#include <cmath>

#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

// The one place the ears follow from the carrier and the beat. Multiplying by 0.5 is
// exact, so this is also carrier ± beat / 2 as check prints it.
PhaseRates rates(const VoiceState& s) {
    return {s.carrier + s.beat * 0.5, s.carrier - s.beat * 0.5};
}

void take(Voice& v, char sign, double value) {
    v.beat = sign == '-' ? -value : value;
}

std::string where(const Voice& v) {
    const PhaseRates ears = rates(StateOf(v, 1.0));
    return "left " + Hertz(ears.a) + ", right " + Hertz(ears.b);
}

std::string status(const VoiceState& s, int percent) {
    const PhaseRates ears = rates(s);
    if (ears.a == ears.b) {
        return StatusText("%.1f Hz %d%%", ears.a, percent);  // no beat: a plain tone
    }
    return StatusText("%.1f|%.1f Hz %d%%", ears.a, ears.b, percent);
}

std::string tooHigh(const Voice& v, double limit) {
    const PhaseRates ears = rates(StateOf(v, 1.0));
    const double upper = std::max(std::fabs(ears.a), std::fabs(ears.b));
    return upper >= limit ? "the upper ear at " + FormatDecimal(upper) : "";
}

}  // namespace

const VoiceKindInfo kBinaural{
    .kind = VoiceKind::Binaural,
    .signs = "+-",
    .take = take,
    .forms = "C+B/A, C-B/A",
    .after = "the beat",
    .name = "binaural",
    .where = where,
    .status = status,
    .phases = 2,
    .rates = rates,
    .mix = MixForm::Ears,
    .tooHigh = tooHigh,
    .rhythm = &VoiceState::beat,
    .pitch = &VoiceState::carrier,
};

}  // namespace session::kinds
