// SPDX-License-Identifier: GPL-3.0-or-later
// pink/A, white/A and brown/A: a seeded noise of that colour (session/noise.h), the same
// signal in both ears. No frequency of theirs can reach half the rate.
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

std::string where(const Voice&) {
    return "both ears";
}

template <const char* Word>
std::string status(const VoiceState&, int percent) {
    return StatusText("%s %d%%", Word, percent);
}

std::string tooHigh(const Voice&, double) {
    return "";
}

constexpr VoiceKindInfo noise(VoiceKind kind, const char* word, const char* forms, const char* name,
                              std::string (*status)(const VoiceState&, int)) {
    return {.kind = kind,
            .word = word,
            .forms = forms,
            .name = name,
            .where = where,
            .status = status,
            .mix = MixForm::Signal,
            .source = Source::Noise,
            .colour = kind,
            .tooHigh = tooHigh,
            .band = true};
}

constexpr char kPinkWord[] = "pink";
constexpr char kWhiteWord[] = "white";
constexpr char kBrownWord[] = "brown";

}  // namespace

const VoiceKindInfo kPink =
    noise(VoiceKind::Pink, kPinkWord, "pink/A", "pink noise", status<kPinkWord>);
const VoiceKindInfo kWhite =
    noise(VoiceKind::White, kWhiteWord, "white/A", "white noise", status<kWhiteWord>);
const VoiceKindInfo kBrown =
    noise(VoiceKind::Brown, kBrownWord, "brown/A", "brown noise", status<kBrownWord>);

}  // namespace session::kinds
