// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/line_reader.h"

#include <algorithm>
#include <climits>

#include "session/decimal.h"
#include "session/rate_check.h"
#include "session/source_text.h"
#include "session/voice_text.h"

namespace session {
namespace {

constexpr int kMaxCrossfadeMs = 24 * 3600 * 1000;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The bytes of `word` that can be a tone-set name: a letter, then letters, digits, '_'
// and '-'. 0 when it does not start with a letter.
std::size_t nameLength(std::string_view word) {
    if (word.empty() || !isLetter(word[0])) {
        return 0;
    }
    std::size_t n = 1;
    while (n < word.size() &&
           (isLetter(word[n]) || isDigit(word[n]) || word[n] == '_' || word[n] == '-')) {
        ++n;
    }
    return n;
}

bool isTime(std::string_view word) {
    return isDigit(word[0]) || word[0] == '+' ||
           (word.substr(0, 3) == "NOW" && (word.size() == 3 || word[3] == '+'));
}

// A whole number from `low` to `high`.
std::optional<int> wholeNumber(std::string_view text, int low, int high) {
    const auto value = ReadWholeNumber(text, static_cast<std::uint64_t>(high));
    return value && *value >= static_cast<std::uint64_t>(low)
               ? std::optional<int>(static_cast<int>(*value))
               : std::nullopt;
}

// The word as an option's message repeats it.
std::string shownOption(std::string_view word) {
    const std::string quoted = Quoted(word);
    return quoted.substr(1, quoted.rfind('\'') - 1) + (quoted.back() == '.' ? "..." : "");
}

}  // namespace

LineReader::LineReader(std::string name) : name_(std::move(name)) {}

std::vector<LineReader::Word> LineReader::split(std::string_view text) {
    std::vector<Word> words;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t begin = at;
        while (at < text.size() && !isBlank(text[at])) {
            ++at;
        }
        if (at > begin) {
            words.push_back({text.substr(begin, at - begin), begin});
        }
    }
    return words;
}

void LineReader::fail(std::size_t offset, std::string message) {
    if (static_cast<int>(errors_.size()) < kMaxErrors) {
        errors_.push_back({current_, offset, std::move(message)});
    }
    ++errorCount_;
}

ReadResult LineReader::Read(std::string_view text) {
    session_.source = name_;
    lines_ = SplitLines(text);
    for (current_ = 0; current_ < static_cast<int>(lines_.size()); ++current_) {
        readLine(lines_[current_]);
    }
    finish();
    return result();
}

ReadResult LineReader::ReadTones(std::string_view voices) {
    session_.source = name_;
    lines_ = {voices};
    if (const auto bad = FindBadText(voices)) {
        fail(bad->offset, bad->message);
        return result();
    }
    const std::vector<Word> words = split(voices);
    ToneSet set{"tones", {}, 1};
    if (words.empty()) {
        fail(0, "expected voices, such as \"pink/30 200+10/20\"");
    } else {
        readVoices(set, words);
    }
    session_.sets.push_back(set);
    session_.entries.push_back(Entry{0, 0, '-', '-', false, 1});
    return result();
}

void LineReader::readLine(std::string_view line) {
    if (const auto bad = FindBadText(line)) {
        fail(bad->offset, bad->message);
        return;
    }
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start])) {
        ++start;
    }
    const std::string_view rest = line.substr(start);
    if (inBlock_) {
        inBlock_ = rest.substr(0, 1) != "}";
        return;
    }
    if (rest.substr(0, 2) == "##") {
        std::string_view text = rest.substr(2);
        if (!text.empty() && isBlank(text[0])) {
            text.remove_prefix(1);
        }
        while (!text.empty() && isBlank(text.back())) {
            text.remove_suffix(1);
        }
        session_.descriptions.emplace_back(text);
        return;
    }
    const std::string_view content = line.substr(0, line.find('#'));
    const std::vector<Word> words = split(content);
    if (words.empty()) {
        return;
    }
    const Word& first = words[0];
    const std::size_t nameEnd = nameLength(first.text);
    if (first.text[0] == '-') {
        readOptions(words);
    } else if (isTime(first.text)) {
        pastOptions_ = true;
        readTimeLine(words);
    } else if (nameEnd > 0 && nameEnd < first.text.size() && first.text[nameEnd] == ':') {
        pastOptions_ = true;
        readToneSet(words, nameEnd);
    } else if (nameEnd > 0) {
        pastOptions_ = true;
        fail(first.offset + nameEnd,
             "expected ':' after the tone-set name (a name has only letters, digits, '_' and "
             "'-')");
    } else {
        fail(first.offset,
             "expected an option, a tone-set line (NAME: VOICES) or a time line (TIME NAME)");
    }
}

void LineReader::readOptions(const std::vector<Word>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Word& w = words[i];
        const std::string_view t = w.text;
        const std::string letters = t == "-S"    ? "S"
                                    : t == "-E"  ? "E"
                                    : t == "-SE" ? "SE"
                                    : t == "-F"  ? "F"
                                    : t == "-r"  ? "r"
                                                 : "";
        if (t[0] != '-') {
            fail(w.offset, "expected an option: -S, -E, -SE, -F MS or -r HZ");
            return;
        }
        if (letters.empty()) {
            fail(w.offset, "option " + shownOption(t) + " is not supported in session files");
            return;
        }
        if (pastOptions_) {
            fail(w.offset, "options come before every tone-set and time line");
            return;
        }
        for (const char letter : letters) {
            if (seenOptions_.find(letter) != std::string::npos) {
                fail(w.offset, std::string("option -") + letter + " is given twice");
                return;
            }
        }
        seenOptions_ += letters;
        if (letters.find('E') != std::string::npos) {
            session_.ends = true;
            endsOption_ = Error{current_, w.offset, ""};
        }
        if (letters != "F" && letters != "r") {
            continue;
        }
        const bool fade = letters == "F";
        const char* expected = fade ? "-F takes the crossfade's length in whole milliseconds, "
                                      "0 to 86400000"
                                    : "-r takes a sample rate in hertz, 8000 to 192000";
        if (i + 1 == words.size()) {
            fail(w.offset + w.text.size(), expected);
            return;
        }
        const Word& value = words[++i];
        const auto number = fade ? wholeNumber(value.text, 0, kMaxCrossfadeMs)
                                 : wholeNumber(value.text, kMinRate, kMaxRate);
        if (!number) {
            fail(value.offset, expected);
            return;
        }
        if (fade) {
            session_.crossfadeMs = *number;
        } else {
            session_.rate = rate_ = *number;
        }
    }
}

void LineReader::readToneSet(const std::vector<Word>& words, std::size_t nameEnd) {
    const Word& first = words[0];
    const std::string_view name = first.text.substr(0, nameEnd);
    if (name.size() == 6 && name.substr(0, 4) == "wave" && isDigit(name[4]) && isDigit(name[5])) {
        fail(first.offset, "custom waveform lines (wave00: to wave99:) are not supported");
        return;
    }
    if (name == "NOW") {
        fail(first.offset, "NOW is a time; a tone-set needs another name");
        return;
    }
    std::vector<Word> voices;
    if (nameEnd + 1 < first.text.size()) {
        voices.push_back({first.text.substr(nameEnd + 1), first.offset + nameEnd + 1});
    }
    voices.insert(voices.end(), words.begin() + 1, words.end());
    if (!voices.empty() && voices[0].text[0] == '{') {
        fail(voices[0].offset, "block lines (NAME: { ... }) are not supported");
        inBlock_ = voices.back().text != "}";
        return;
    }
    if (const auto known = setIndex_.find(name); known != setIndex_.end()) {
        fail(first.offset, "tone-set " + Quoted(name) + " is already defined on line " +
                               std::to_string(session_.sets[known->second].line));
        return;
    }
    // Known from here on even if its voices fail, so that its time lines do not add errors.
    setIndex_.emplace(std::string(name), static_cast<int>(session_.sets.size()));
    ToneSet set{std::string(name), {}, current_ + 1};
    if (voices.empty()) {
        fail(first.offset + first.text.size(),
             "expected voices after ':' (a slot left empty is '-')");
    } else {
        readVoices(set, voices);
    }
    session_.sets.push_back(std::move(set));
}

void LineReader::readVoices(ToneSet& set, std::vector<Word> words) {
    for (const Word& w : words) {
        if (static_cast<int>(set.voices.size()) == kMaxVoices) {
            fail(w.offset, "a tone-set has at most 16 voices");
            return;
        }
        VoiceRead read = ReadVoice(w.text);
        if (read.error.empty()) {
            read.error = VoiceRateError(read.voice, rate_);
        }
        if (!read.error.empty()) {
            fail(w.offset + read.offset, read.error);
            return;
        }
        read.voice.column = ColumnAt(lines_[current_], w.offset);
        set.voices.push_back(read.voice);
    }
}

void LineReader::readTimeLine(const std::vector<Word>& words) {
    ++timeLines_;
    lastArrow_.reset();
    Entry entry;
    entry.line = current_ + 1;
    std::size_t i = 1;
    const auto end = [&] { return words.back().offset + words.back().text.size(); };
    if (i < words.size() && std::string_view("<->=").find(words[i].text[0]) != std::string::npos) {
        const std::string_view ff = words[i].text;
        if (ff.size() != 2 || std::string_view("<-=").find(ff[0]) == std::string::npos ||
            std::string_view(">-=").find(ff[1]) == std::string::npos) {
            fail(words[i].offset,
                 "expected a tone-set name, or first how it fades in ('<', '-' or '=') and out "
                 "('>', '-' or '=')");
            return;
        }
        entry.fadeIn = ff[0];
        entry.fadeOut = ff[1];
        ++i;
    }
    if (i == words.size()) {
        fail(end(), "expected a tone-set name after the time");
        return;
    }
    const Word& name = words[i++];
    const std::size_t n = nameLength(name.text);
    if (n == 0) {
        fail(name.offset, name.text[0] == '+' ? "relative parts follow the time without a blank"
                                              : "expected a tone-set name");
        return;
    }
    if (n < name.text.size()) {
        const bool arrow = name.text.substr(n) == ">" && name.text[n - 1] == '-';
        fail(name.offset + n - (arrow ? 1 : 0),
             arrow ? "put a blank before '->'"
                   : "a tone-set name has only letters, digits, '_' and '-'");
        return;
    }
    std::optional<Error> arrowAt;
    if (i < words.size() && words[i].text == "->") {
        entry.arrow = true;
        arrowAt = Error{current_, words[i++].offset, ""};
    }
    if (i < words.size()) {
        fail(words[i].offset, "expected '->' or the end of the line after the tone-set name");
        return;
    }
    if (!placeEntry(words[0], entry)) {
        return;
    }
    lastArrow_ = arrowAt;
    if (const auto known = setIndex_.find(name.text); known != setIndex_.end()) {
        entry.set = known->second;
    } else {
        pending_.push_back({current_, name.offset, name.text, session_.entries.size()});
    }
    session_.entries.push_back(entry);
}

bool LineReader::placeEntry(const Word& time, Entry& entry) {
    const TimeRead read = ReadTime(time.text);
    if (!read.error.empty()) {
        fail(time.offset + read.offset, read.error);
        return false;
    }
    std::string error;
    const auto ms = clock_.Place(read, error);
    if (!ms) {
        fail(time.offset, error);
        return false;
    }
    if (!session_.entries.empty() && *ms <= session_.entries.back().ms) {
        const Entry& before = session_.entries.back();
        fail(time.offset, (*ms == before.ms ? "the same time as the entry on line "
                                            : "earlier than the entry on line ") +
                              std::to_string(before.line) + ": entries come in time order");
        return false;
    }
    entry.ms = *ms;
    entry.nextDay = clock_.NextDay();
    return true;
}

void LineReader::finish() {
    int unknown = 0;
    for (const Pending& p : pending_) {
        if (const auto known = setIndex_.find(p.name); known != setIndex_.end()) {
            session_.entries[p.entry].set = known->second;
        } else if (++unknown <= kMaxErrors) {
            // In line order: past the first kMaxErrors none can be among those shown.
            errors_.push_back({p.line, p.offset, "unknown tone-set " + Quoted(p.name)});
        }
    }
    errorCount_ += unknown;
    if (timeLines_ == 0) {
        errors_.push_back({-1, 0, "no time lines: a session needs at least one (TIME NAME)"});
        ++errorCount_;
    } else if (session_.ends && timeLines_ == 1 && endsOption_) {
        errors_.push_back({endsOption_->line, endsOption_->offset,
                           "a session that ends (-E) needs two time lines or more: it ends at "
                           "the last one"});
        ++errorCount_;
    }
    if (lastArrow_ && !session_.entries.empty()) {
        session_.entries.back().arrow = false;
        session_.idleArrowLine = lastArrow_->line + 1;
    }
    // In line order, and what concerns the whole file after every line.
    const auto key = [](const Error& e) {
        return std::pair(e.line < 0 ? INT_MAX : e.line, e.offset);
    };
    std::stable_sort(errors_.begin(), errors_.end(),
                     [&key](const Error& a, const Error& b) { return key(a) < key(b); });
    if (static_cast<int>(errors_.size()) > kMaxErrors) {
        errors_.resize(kMaxErrors);
    }
}

ReadResult LineReader::result() {
    ReadResult out;
    for (const Error& e : errors_) {
        out.errors.push_back(
            e.line < 0 ? name_ + ": " + e.message
                       : FormatError(name_, e.line + 1, lines_[e.line], e.offset, e.message));
    }
    if (errorCount_ > kMaxErrors) {
        out.errors.push_back(name_ + ": too many errors (" + std::to_string(errorCount_) +
                             "); the first " + std::to_string(kMaxErrors) + " are shown");
    }
    if (errorCount_ == 0) {
        out.session = std::move(session_);
    }
    return out;
}

}  // namespace session
