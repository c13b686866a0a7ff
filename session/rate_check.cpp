#include "session/rate_check.h"

#include <cmath>

#include "session/decimal.h"

namespace session {

std::string VoiceRateError(const Voice& voice, int rate) {
    const double limit = rate / 2.0;
    const std::string atRate = " Hz is not below half the sample rate (" + FormatDecimal(limit) +
                               " Hz at " + std::to_string(rate) + " Hz)";
    switch (voice.kind) {
        case VoiceKind::Binaural:
            if (voice.carrier + std::fabs(voice.beat) / 2 >= limit) {
                return "the upper ear at " +
                       FormatDecimal(voice.carrier + std::fabs(voice.beat) / 2) + atRate;
            }
            break;
        case VoiceKind::Tone:
        case VoiceKind::Isochronic:
            if (voice.carrier >= limit) {
                return "a carrier of " + FormatDecimal(voice.carrier) + atRate;
            }
            if (voice.pulse >= limit) {
                return "a pulse rate of " + FormatDecimal(voice.pulse) + atRate;
            }
            break;
        default:
            break;
    }
    return "";
}

std::vector<std::string> CheckRate(const Session& session, int rate) {
    std::vector<std::string> errors;
    for (const ToneSet& set : session.sets) {
        for (const Voice& voice : set.voices) {
            if (const std::string error = VoiceRateError(voice, rate); !error.empty()) {
                errors.push_back(session.source + ":" + std::to_string(set.line) + ":" +
                                 std::to_string(voice.column) + ": " + error);
            }
        }
    }
    return errors;
}

}  // namespace session
