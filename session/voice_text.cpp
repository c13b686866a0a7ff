// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/voice_text.h"

#include <cstring>
#include <vector>

#include "session/decimal.h"
#include "session/source_text.h"
#include "session/voice_kind.h"
#include "session/wave_name.h"
#include "session/word_cursor.h"

namespace session {
namespace {

// "a, b or c".
std::string orList(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    }
    return out;
}

// "expected a voice: -, C+B/A, ... or brown/A", from the kinds' own forms.
std::string expected() {
    std::vector<std::string> forms{"-"};
    for (const VoiceKindInfo* kind : VoiceKinds()) {
        forms.emplace_back(kind->forms);
    }
    return "expected a voice: " + orList(forms);
}

const VoiceKindInfo* kindOfSign(char sign) {
    for (const VoiceKindInfo* kind : VoiceKinds()) {
        if (sign != '\0' && kind->word == nullptr && kind->signs != nullptr &&
            std::strchr(kind->signs, sign) != nullptr) {
            return kind;
        }
    }
    return nullptr;
}

// "'+', '-', '@' or '/'": the signs that carry a second value, then the plain '/'.
std::string signList() {
    std::vector<std::string> signs;
    for (const bool second : {true, false}) {
        for (const VoiceKindInfo* kind : VoiceKinds()) {
            for (const char* sign = kind->signs; kind->word == nullptr && sign != nullptr &&
                                                 *sign != '\0' && (kind->take != nullptr) == second;
                 ++sign) {
                signs.push_back(std::string("'") + *sign + "'");
            }
        }
    }
    return orList(signs);
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Kinds of the wider format that are not played here: each is named in its error, so that
// a file written for another player says what it needs rather than "expected a voice".
std::string unsupported(std::string_view word) {
    const std::string_view prefix = word.substr(0, word.find(':'));
    if (prefix.size() == word.size()) {
        return "";
    }
    for (const char* kind : {"mixspin", "mixpulse", "mixbeat"}) {
        if (prefix == kind) {
            return std::string(kind) + ": voices are not supported";
        }
    }
    if (prefix.size() == 8 && prefix.substr(0, 6) == "custom" && isDigit(prefix[6]) &&
        isDigit(prefix[7])) {
        return "customNN: voices (" + std::string(prefix) + ":) are not supported";
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

    bool named() {
        std::size_t end = at;
        while (end < word.size() && isLetter(word[end])) {
            ++end;
        }
        const std::string_view name = word.substr(at, end - at);
        for (const VoiceKindInfo* kind : VoiceKinds()) {
            if (kind->word == nullptr || name != kind->word) {
                continue;
            }
            result.voice.kind = kind->kind;
            at = end;
            if (kind->lead == nullptr) {
                return amplitude(Quoted(name));
            }
            const std::string_view lead = kind->lead;
            if (word.substr(at, lead.size()) != lead) {
                return fail(at, "expected " + Quoted(lead) + " after " + Quoted(name) + " (" +
                                    kind->forms + ")");
            }
            at += lead.size();
            return values(*kind);
        }
        return fail(at, expected());
    }

    bool carried() {
        const std::size_t start = at;
        double carrier = 0;
        if (!number(carrier)) {
            return false;
        }
        const char sign = at < word.size() ? word[at] : '\0';
        const VoiceKindInfo* kind = kindOfSign(sign);
        if (kind == nullptr) {
            return fail(at, "expected " + signList() + " after the carrier");
        }
        at = start;
        return values(*kind);
    }

    // The carrier, the kind's sign and second value when it has one, and "/A".
    bool values(const VoiceKindInfo& kind) {
        Voice& v = result.voice;
        v.kind = kind.kind;
        // A carrier of 0 is allowed: "0+0/0" is how real files leave a slot empty.
        const std::size_t carrierAt = at;
        if (!number(v.carrier)) {
            return false;
        }
        if (kind.checkCarrier != nullptr) {
            if (const std::string error = kind.checkCarrier(v); !error.empty()) {
                return fail(carrierAt, error);
            }
        }
        if (kind.take == nullptr) {
            return amplitude(kind.after);  // for a carrier kind, its sign is the '/'
        }
        const char sign = at < word.size() ? word[at] : '\0';
        if (sign == '\0' || std::strchr(kind.signs, sign) == nullptr) {
            std::vector<std::string> signs;
            for (const char* c = kind.signs; *c != '\0'; ++c) {
                signs.push_back(std::string("'") + *c + "'");
            }
            return fail(at, "expected " + orList(signs) + " next (" + kind.forms + ")");
        }
        ++at;
        const std::size_t start = at;
        double value = 0;
        if (!number(value)) {
            return false;
        }
        kind.take(v, sign, value);
        if (const std::string error = kind.check ? kind.check(v) : ""; !error.empty()) {
            return fail(start, error);
        }
        return amplitude(kind.after);
    }
};

}  // namespace

VoiceRead ReadVoice(std::string_view word) {
    // A wave's name before a colon is a prefix ("square:200+10/5"); other prefixes are
    // kinds of their own ("spin:300+4/10").
    const std::size_t colon = word.find(':');
    const auto wave =
        colon == std::string_view::npos ? std::nullopt : WaveOfName(word.substr(0, colon));
    Cursor cursor{{word, wave ? colon + 1 : 0, {}}};
    const std::string_view rest = word.substr(cursor.at);
    if (rest == "-" && !wave) {
        return cursor.result;  // an empty slot
    }
    if (const std::string message = unsupported(rest); !message.empty()) {
        cursor.fail(cursor.at, message);
    } else if (rest.empty()) {
        cursor.fail(cursor.at, expected());
    } else if (rest[0] == '-' && !wave) {
        cursor.fail(0, "numbers are never negative ('-' alone leaves a slot empty)");
    } else if (isLetter(rest[0])) {
        cursor.named();
    } else if (isDigit(rest[0]) || rest[0] == '.') {
        cursor.carried();
    } else {
        cursor.fail(cursor.at, expected());
    }
    VoiceRead& read = cursor.result;
    if (wave && read.error.empty()) {
        if (KindOf(read.voice.kind).source != Source::Phases) {
            cursor.fail(0,
                        "a waveform prefix goes only before a binaural, plain or isochronic "
                        "voice");
        } else {
            read.voice.wave = *wave;
            read.ownWave = true;
        }
    }
    return read;
}

}  // namespace session
