// SPDX-License-Identifier: GPL-3.0-or-later
// spin:W+B/A, bspin: and wspin:: a seeded noise of their colour, delayed by W + τ in the left
// ear and W − τ in the right, τ = W·sin φ, φ turning B times a second (negative: the other
// way round), so that the noise seems to circle the head (MixForm::Stereo).
#include <cmath>

#include "session/decimal.h"
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

// Ten milliseconds is far past the widest delay between two ears (under a millisecond),
// and bounds the stretch of noise each spin keeps to delay.
constexpr double kMaxWidthUs = 10000;

PhaseRates rates(const VoiceState& s) {
    return {s.beat, 0.0};
}

void take(Voice& v, char sign, double value) {
    v.beat = sign == '-' ? -value : value;
}

std::string checkWidth(const Voice& v) {
    return v.carrier > kMaxWidthUs ? "a spin's width is 0 to 10000 microseconds" : "";
}

std::string where(const Voice& v) {
    return FormatDecimal(v.carrier) + " µs, " + FormatDecimal(v.beat) + " turns a second";
}

template <const char* Word>
std::string status(const VoiceState& s, int percent) {
    return StatusText("%s %.0fus %.1f/s %d%%", Word, s.carrier, s.beat, percent);
}

std::string tooHigh(const Voice& v, double limit) {
    return std::fabs(v.beat) >= limit ? "a spin rate of " + FormatDecimal(std::fabs(v.beat)) : "";
}

constexpr VoiceKindInfo spin(VoiceKind kind, const char* word, const char* forms, const char* name,
                             VoiceKind colour, std::string (*status)(const VoiceState&, int)) {
    return {.kind = kind,
            .word = word,
            .lead = ":",
            .signs = "+-",
            .take = take,
            .forms = forms,
            .after = "the turns a second",
            .checkCarrier = checkWidth,
            .name = name,
            .where = where,
            .status = status,
            .phases = 1,
            .rates = rates,
            .mix = MixForm::Stereo,
            .source = Source::Spin,
            .colour = colour,
            .tooHigh = tooHigh,
            .rhythm = &VoiceState::beat};
}

constexpr char kSpinWord[] = "spin";
constexpr char kBrownSpinWord[] = "bspin";
constexpr char kWhiteSpinWord[] = "wspin";

}  // namespace

const VoiceKindInfo kSpin = spin(VoiceKind::Spin, kSpinWord, "spin:W+B/A, spin:W-B/A",
                                 "spin (pink)", VoiceKind::Pink, status<kSpinWord>);
const VoiceKindInfo kBrownSpin = spin(VoiceKind::BrownSpin, kBrownSpinWord, "bspin:W+B/A",
                                      "spin (brown)", VoiceKind::Brown, status<kBrownSpinWord>);
const VoiceKindInfo kWhiteSpin = spin(VoiceKind::WhiteSpin, kWhiteSpinWord, "wspin:W+B/A",
                                      "spin (white)", VoiceKind::White, status<kWhiteSpinWord>);

}  // namespace session::kinds
