// SPDX-License-Identifier: GPL-3.0-or-later
// bell+F/A: a sine of F Hz in both ears struck at each entry that holds it, halving every
// quarter second (Source::Bell). It never fades or slides: each entry rings it anew.
#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

PhaseRates rates(const VoiceState& s) {
    return {s.carrier, 0.0};
}

std::string where(const Voice& v) {
    return Hertz(v.carrier);
}

std::string status(const VoiceState& s, int percent) {
    return StatusText("bell %.1f Hz %d%%", s.carrier, percent);
}

std::string tooHigh(const Voice& v, double limit) {
    return v.carrier >= limit ? "a bell of " + FormatDecimal(v.carrier) : "";
}

}  // namespace

const VoiceKindInfo kBell{
    .kind = VoiceKind::Bell,
    .word = "bell",
    .lead = "+",
    .forms = "bell+F/A",
    .after = "the frequency",
    .name = "bell",
    .where = where,
    .status = status,
    .phases = 1,
    .rates = rates,
    .mix = MixForm::Signal,
    .source = Source::Bell,
    .tooHigh = tooHigh,
    .pitch = &VoiceState::carrier,
};

}  // namespace session::kinds
