// SPDX-License-Identifier: GPL-3.0-or-later
// C/A: a sine of C Hz in both ears, which is C+0/A: it sounds as a binaural voice.
#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

PhaseRates rates(const VoiceState& s) {
    return {s.carrier, 0.0};
}

std::string where(const Voice& v) {
    return Hertz(v.carrier) + " in both ears";
}

std::string status(const VoiceState& s, int percent) {
    return StatusText("%.1f Hz %d%%", s.carrier, percent);
}

std::string tooHigh(const Voice& v, double limit) {
    return v.carrier >= limit ? "a carrier of " + FormatDecimal(v.carrier) : "";
}

}  // namespace

const VoiceKindInfo kTone{
    .kind = VoiceKind::Tone,
    .signs = "/",
    .forms = "C/A",
    .after = "the carrier",
    .name = "tone",
    .where = where,
    .status = status,
    .phases = 1,
    .rates = rates,
    .mix = MixForm::Both,
    .tooHigh = tooHigh,
    .soundsAs = VoiceKind::Binaural,  // its beat is 0
    .rhythm = &VoiceState::beat,
    .pitch = &VoiceState::carrier,
};

}  // namespace session::kinds
