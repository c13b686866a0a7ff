// SPDX-License-Identifier: GPL-3.0-or-later
// C@P/A: a sine of C Hz in both ears, pulsed P times a second (MixForm::Pulsed).
#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

PhaseRates rates(const VoiceState& s) {
    return {s.carrier, s.pulse};
}

void take(Voice& v, char, double value) {
    v.pulse = value;
}

std::string check(const Voice& v) {
    return v.pulse <= 0 ? "a pulse rate must be above 0" : "";
}

std::string where(const Voice& v) {
    return Hertz(v.carrier) + " in both ears, pulsed " + FormatDecimal(v.pulse) + " a second";
}

std::string status(const VoiceState& s, int percent) {
    return StatusText("%.1f Hz @%.1f %d%%", s.carrier, s.pulse, percent);
}

std::string tooHigh(const Voice& v, double limit) {
    if (v.carrier >= limit) {
        return "a carrier of " + FormatDecimal(v.carrier);
    }
    return v.pulse >= limit ? "a pulse rate of " + FormatDecimal(v.pulse) : "";
}

}  // namespace

const VoiceKindInfo kIsochronic{
    .kind = VoiceKind::Isochronic,
    .signs = "@",
    .take = take,
    .forms = "C@P/A",
    .after = "the pulse rate",
    .check = check,
    .name = "isochronic",
    .where = where,
    .status = status,
    .phases = 2,
    .rates = rates,
    .mix = MixForm::Pulsed,
    .tooHigh = tooHigh,
    .rhythm = &VoiceState::pulse,
    .pitch = &VoiceState::carrier,
};

}  // namespace session::kinds
