#include "session/voice_text.h"

#include <array>
#include <cmath>

#include "session/decimal.h"
#include "session/source_text.h"
#include "session/word_cursor.h"

namespace session {
namespace {

constexpr const char* kExpected =
    "expected a voice: -, C+B/A, C-B/A, C/A, C@P/A, pink/A, white/A or brown/A";

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Kinds of the wider format that are not played here: each is named in its error, so that
// a file written for another player says what it needs rather than "expected a voice".
std::string unsupported(std::string_view word) {
    const std::size_t colon = word.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view prefix = word.substr(0, colon);
        for (const char* kind : {"spin", "bspin", "wspin", "mixspin", "mixpulse"}) {
            if (prefix == kind) {
                return std::string(kind) + ": voices are not supported";
            }
        }
        const bool numbered = prefix.size() == 6 && prefix.substr(0, 4) == "wave" &&
                              isDigit(prefix[4]) && isDigit(prefix[5]);
        for (const char* wave : {"sine", "square", "triangle", "sawtooth"}) {
            if (prefix == wave || numbered) {
                return "waveform prefixes such as " + Quoted(std::string(prefix) + ":") +
                       " are not supported: every voice is a sine";
            }
        }
        return "";
    }
    if (word.substr(0, 4) == "mix/") {
        return "mix/ voices are not supported";
    }
    if (word.substr(0, 5) == "bell+") {
        return "bell+ voices are not supported";
    }
    return "";
}

struct Cursor : WordCursor<VoiceRead> {
    bool number(double& out) {
        const DecimalRead read = ReadDecimal(word.substr(at));
        if (!read.error.empty()) {
            return fail(at, read.error);
        }
        out = read.value;
        at += read.length;
        return true;
    }

    // "/A" and the end of the word.
    bool amplitude(const std::string& after) {
        if (at >= word.size() || word[at] != '/') {
            return fail(at, "expected '/' and an amplitude after " + after);
        }
        ++at;
        const std::size_t start = at;
        if (!number(result.voice.amplitude)) {
            return false;
        }
        if (result.voice.amplitude > 100) {
            return fail(start, "an amplitude is 0 to 100");
        }
        if (at < word.size()) {
            return fail(at, "unexpected " + Quoted(word.substr(at, 1)) + " after the amplitude");
        }
        return true;
    }

    bool noise() {
        std::size_t end = 0;
        while (end < word.size() && isLetter(word[end])) {
            ++end;
        }
        const std::string_view name = word.substr(0, end);
        static constexpr std::array<std::pair<std::string_view, VoiceKind>, 3> kNoises{
            {{"pink", VoiceKind::Pink}, {"white", VoiceKind::White}, {"brown", VoiceKind::Brown}}};
        for (const auto& [text, kind] : kNoises) {
            if (name == text) {
                result.voice.kind = kind;
                at = end;
                return amplitude(Quoted(name));
            }
        }
        return fail(0, kExpected);
    }

    bool tone() {
        Voice& v = result.voice;
        if (!number(v.carrier)) {
            return false;
        }
        if (v.carrier <= 0) {
            return fail(0, "a carrier must be above 0 Hz");
        }
        const char sign = at < word.size() ? word[at] : '\0';
        if (sign == '+' || sign == '-' || sign == '@') {
            ++at;
            const std::size_t start = at;
            if (!number(sign == '@' ? v.pulse : v.beat)) {
                return false;
            }
            if (sign == '@') {
                v.kind = VoiceKind::Isochronic;
                if (v.pulse <= 0) {
                    return fail(start, "a pulse rate must be above 0");
                }
                return amplitude("the pulse rate");
            }
            v.kind = VoiceKind::Binaural;
            v.beat = sign == '-' ? -v.beat : v.beat;
            if (v.carrier - std::fabs(v.beat) / 2 <= 0) {
                return fail(start, "the beat takes the lower ear to " +
                                       FormatDecimal(v.carrier - std::fabs(v.beat) / 2) +
                                       " Hz: it must stay above 0 Hz");
            }
            return amplitude("the beat");
        }
        if (sign != '/') {
            return fail(at, "expected '+', '-', '@' or '/' after the carrier");
        }
        v.kind = VoiceKind::Tone;
        return amplitude("the carrier");
    }
};

}  // namespace

VoiceRead ReadVoice(std::string_view word) {
    Cursor cursor{{word, 0, {}}};
    if (word == "-") {
        return cursor.result;  // an empty slot
    }
    if (const std::string message = unsupported(word); !message.empty()) {
        cursor.fail(0, message);
    } else if (word[0] == '-') {
        cursor.fail(0, "numbers are never negative ('-' alone leaves a slot empty)");
    } else if (isLetter(word[0])) {
        cursor.noise();
    } else if (isDigit(word[0]) || word[0] == '.') {
        cursor.tone();
    } else {
        cursor.fail(0, kExpected);
    }
    return cursor.result;
}

}  // namespace session
