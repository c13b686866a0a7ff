// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/voice_text.h"

#include <cstring>
#include <vector>

#include "session/decimal.h"
#include "session/source_text.h"
#include "session/voice_kind.h"
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
        if (sign != '\0' && kind->signs != nullptr && std::strchr(kind->signs, sign) != nullptr) {
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
            for (const char* sign = kind->signs;
                 sign != nullptr && *sign != '\0' && (kind->take != nullptr) == second; ++sign) {
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

    bool named() {
        std::size_t end = 0;
        while (end < word.size() && isLetter(word[end])) {
            ++end;
        }
        const std::string_view name = word.substr(0, end);
        for (const VoiceKindInfo* kind : VoiceKinds()) {
            if (kind->word != nullptr && name == kind->word) {
                result.voice.kind = kind->kind;
                at = end;
                return amplitude(Quoted(name));
            }
        }
        return fail(0, expected());
    }

    bool carried() {
        Voice& v = result.voice;
        // A carrier of 0 is allowed: "0+0/0" is how real files leave a slot empty.
        if (!number(v.carrier)) {
            return false;
        }
        const char sign = at < word.size() ? word[at] : '\0';
        const VoiceKindInfo* kind = kindOfSign(sign);
        if (kind == nullptr) {
            return fail(at, "expected " + signList() + " after the carrier");
        }
        v.kind = kind->kind;
        if (kind->take == nullptr) {
            return amplitude(kind->after);  // the sign was the '/' of the amplitude
        }
        ++at;
        const std::size_t start = at;
        double value = 0;
        if (!number(value)) {
            return false;
        }
        kind->take(v, sign, value);
        if (const std::string error = kind->check ? kind->check(v) : ""; !error.empty()) {
            return fail(start, error);
        }
        return amplitude(kind->after);
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
        cursor.named();
    } else if (isDigit(word[0]) || word[0] == '.') {
        cursor.carried();
    } else {
        cursor.fail(0, expected());
    }
    return cursor.result;
}

}  // namespace session
