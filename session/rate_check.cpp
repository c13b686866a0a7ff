// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/rate_check.h"

#include "session/decimal.h"
#include "session/voice_kind.h"

namespace session {

std::string VoiceRateError(const Voice& voice, int rate) {
    if (voice.kind == VoiceKind::None) {
        return "";
    }
    const double limit = rate / 2.0;
    const std::string what = KindOf(voice.kind).tooHigh(voice, limit);
    if (what.empty()) {
        return "";
    }
    return what + " Hz is not below half the sample rate (" + FormatDecimal(limit) + " Hz at " +
           std::to_string(rate) + " Hz)";
}

std::vector<Problem> CheckRate(const Session& session, int rate) {
    std::vector<Problem> problems;
    for (const ToneSet& set : session.sets) {
        for (const Voice& voice : set.voices) {
            if (std::string error = VoiceRateError(voice, rate); !error.empty()) {
                std::string text = session.source + ":" + std::to_string(set.line) + ":" +
                                   std::to_string(voice.column) + ": " + error;
                problems.push_back({set.line, voice.column, std::move(error), std::move(text)});
            }
        }
    }
    return problems;
}

}  // namespace session
