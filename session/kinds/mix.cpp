// SPDX-License-Identifier: GPL-3.0-or-later
// mix/A: the session's mix file (-m, or --mix) at A percent of its own level, each of its
// channels to its own ear (Source::Mix). The file plays at its own speed: no phase, and
// nothing of it can reach half the rate, as it is resampled to the session's.
#include "session/kinds/kinds.h"

namespace session::kinds {
namespace {

std::string where(const Voice&) {
    return "mix file";
}

std::string status(const VoiceState&, int percent) {
    return StatusText("mix %d%%", percent);
}

std::string tooHigh(const Voice&, double) {
    return "";
}

}  // namespace

const VoiceKindInfo kMix{
    .kind = VoiceKind::Mix,
    .word = "mix",
    .forms = "mix/A",
    .name = "mix",
    .where = where,
    .status = status,
    .mix = MixForm::Stereo,
    .source = Source::Mix,
    .tooHigh = tooHigh,
    .band = true,
};

}  // namespace session::kinds
