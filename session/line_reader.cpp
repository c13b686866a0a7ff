// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/line_reader.h"

#include <algorithm>
#include <climits>

#include "session/decimal.h"
#include "session/rate_check.h"
#include "session/source_text.h"
#include "session/voice_kind.h"
#include "session/voice_text.h"
#include "session/wave_name.h"
#include "session/waveform.h"

namespace session {
namespace {

constexpr int kMaxCrossfadeMs = 24 * 3600 * 1000;
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 192000;
constexpr int kMaxQuick = 1000;
// A drawn wave costs the square of its samples to take apart; a thousand draw any shape a
// period needs, and keep a file of a hundred such lines quick to read.
constexpr std::size_t kMaxWaveSamples = 1024;

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

LineReader::LineReader(std::string name, std::string folder, std::optional<std::string> mixFile)
    : name_(std::move(name)), folder_(std::move(folder)), mixOverride_(std::move(mixFile)) {
    session_.mixFile = mixOverride_.value_or("");
}

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
    fail(current_, offset, std::move(message));
}

void LineReader::fail(int line, std::size_t offset, std::string message) {
    if (static_cast<int>(errors_.size()) < kMaxErrors) {
        errors_.push_back({line, offset, std::move(message)});
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
    finishOptions(0);
    session_.sets.push_back(set);
    session_.entries.push_back(Entry{0, 0, '-', '-', false, false, 1});
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
    if (openBlock_ >= 0) {
        readBlockLine(words);
        return;
    }
    const Word& first = words[0];
    const std::size_t nameEnd = nameLength(first.text);
    if (first.text == "}") {
        fail(first.offset, "'}' without a block to close (a block starts \"NAME: {\")");
    } else if (first.text[0] == '-') {
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
        if (t[0] != '-') {
            fail(w.offset,
                 "expected an option: -S, -E, -SE, -F MS, -r HZ, -m FILE, -T TIME, -q N or -w "
                 "WAVE");
            return;
        }
        const std::string letters =
            t == "-SE" ? "SE"
            : t.size() == 2 && std::string_view("SEFrmTqw").find(t[1]) != std::string_view::npos
                ? std::string(1, t[1])
                : "";
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
        if (letters == "S" || letters == "E" || letters == "SE") {
            continue;
        }
        const char letter = letters[0];
        const char* expected =
            letter == 'F'   ? "-F takes the crossfade's length in whole milliseconds, 0 to 86400000"
            : letter == 'r' ? "-r takes a sample rate in hertz, 8000 to 192000"
            : letter == 'm' ? "-m takes the mix file's name"
            : letter == 'T' ? "-T takes the clock time the session starts at, h:mm or h:mm:ss"
            : letter == 'q' ? "-q takes how many times as fast to run, a whole number 1 to 1000"
                            : "-w takes a waveform: sine, square, triangle, sawtooth or wave00 to "
                              "wave99";
        if (i + 1 == words.size()) {
            fail(w.offset + w.text.size(), expected);
            return;
        }
        if (!readValue(letter, words[++i])) {
            fail(words[i].offset, expected);
            return;
        }
    }
}

bool LineReader::readValue(char option, const Word& value) {
    const std::string_view text = value.text;
    if (option == 'F' || option == 'r' || option == 'q') {
        const auto number = option == 'F'   ? wholeNumber(text, 0, kMaxCrossfadeMs)
                            : option == 'r' ? wholeNumber(text, kMinRate, kMaxRate)
                                            : wholeNumber(text, 1, kMaxQuick);
        if (!number) {
            return false;
        }
        (option == 'F'   ? void(session_.crossfadeMs = *number)
         : option == 'r' ? void(session_.rate = rate_ = *number)
                         : void(session_.quick = *number));
    } else if (option == 'm') {
        // --mix replaces it before anything is opened, so then it is not even resolved.
        if (!mixOverride_) {
            session_.mixFile = (text[0] == '/' ? "" : folder_) + std::string(text);
            session_.mixLine = current_ + 1;
            session_.mixColumn = ColumnAt(lines_[current_], value.offset);
        }
    } else if (option == 'T') {
        const TimeRead time = ReadTime(text);
        if (!time.error.empty() || time.base != TimeRead::Base::Clock || time.relativeMs != 0) {
            return false;
        }
        startClock_ = time.clockMs;
        startOption_ = Error{current_, value.offset, ""};
    } else {
        const auto wave = WaveOfName(text);
        if (!wave) {
            return false;
        }
        defaultWave_ = *wave;
        if (*wave >= kDrawnWave) {
            waveUses_.push_back({{current_, value.offset, ""}, *wave});
        }
    }
    return true;
}

void LineReader::readWaveLine(const std::vector<Word>& words, std::size_t nameEnd, int wave) {
    const Word& first = words[0];
    const std::string name = WaveName(wave);
    if (const int line = waveLines_[wave - kDrawnWave]; line != 0) {
        fail(first.offset, name + " is already defined on line " + std::to_string(line));
        return;
    }
    waveLines_[wave - kDrawnWave] = current_ + 1;
    std::vector<Word> samples;
    if (nameEnd + 1 < first.text.size()) {
        samples.push_back({first.text.substr(nameEnd + 1), first.offset + nameEnd + 1});
    }
    samples.insert(samples.end(), words.begin() + 1, words.end());
    std::vector<double> values;
    for (const Word& w : samples) {
        if (values.size() == kMaxWaveSamples) {
            fail(w.offset, "a waveform line has at most 1024 samples");
            return;
        }
        // Samples may be negative, unlike every other number of a file.
        const bool negative = w.text[0] == '-';
        const DecimalRead read = ReadDecimal(w.text.substr(negative ? 1 : 0));
        const std::size_t at = w.offset + (negative ? 1 : 0);
        if (!read.error.empty() || read.length + (negative ? 1 : 0) != w.text.size()) {
            fail(read.error.empty() ? at + read.length : at,
                 read.error.empty() ? "expected a blank between two samples" : read.error);
            return;
        }
        values.push_back(negative ? -read.value : read.value);
    }
    if (values.size() < 2) {
        fail(first.offset + first.text.size(),
             "a waveform line gives one period in two samples or more: " + name + ": S0 S1 ...");
        return;
    }
    std::string error;
    if (!Waveform::Drawn(values, error)) {
        fail(first.offset, name + ": " + error);
        return;
    }
    session_.drawnWaves[wave - kDrawnWave] = std::move(values);
}

void LineReader::readToneSet(const std::vector<Word>& words, std::size_t nameEnd) {
    const Word& first = words[0];
    const std::string_view name = first.text.substr(0, nameEnd);
    if (const auto wave = WaveOfName(name); wave && *wave >= kDrawnWave) {
        readWaveLine(words, nameEnd, *wave);
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
    const bool block = !voices.empty() && voices[0].text[0] == '{';
    if (const std::string defined = definedBefore(name); !defined.empty()) {
        fail(first.offset, defined);
        if (block) {
            openBlock(voices, name, false);  // its lines are still the block's, not the file's
        }
        return;
    }
    if (block) {
        openBlock(voices, name, true);
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
        if (read.error.empty() && read.voice.kind == VoiceKind::Mix && session_.mixFile.empty()) {
            read.error =
                "a mix/ voice needs a mix file: give one with -m FILE among the options "
                "(or --mix FILE)";
        }
        if (!read.error.empty()) {
            fail(w.offset + read.offset, read.error);
            return;
        }
        Voice& v = read.voice;
        if (!read.ownWave && v.kind != VoiceKind::None && KindOf(v.kind).source == Source::Phases) {
            v.wave = defaultWave_;
        }
        if (read.ownWave && v.wave >= kDrawnWave) {
            waveUses_.push_back({{current_, w.offset, ""}, v.wave});
        }
        v.column = ColumnAt(lines_[current_], w.offset);
        set.voices.push_back(read.voice);
    }
}

std::string LineReader::definedBefore(std::string_view name) const {
    if (const auto set = setIndex_.find(name); set != setIndex_.end()) {
        return "tone-set " + Quoted(name) + " is already defined on line " +
               std::to_string(session_.sets[set->second].line);
    }
    if (const auto block = blockIndex_.find(name); block != blockIndex_.end()) {
        return "block " + Quoted(name) + " is already defined on line " +
               std::to_string(blocks_[block->second].line + 1);
    }
    return "";
}

void LineReader::openBlock(const std::vector<Word>& voices, std::string_view name, bool named) {
    if (voices[0].text != "{" || voices.size() > 1) {
        const Word& after = voices[0].text != "{" ? voices[0] : voices[1];
        fail(after.offset + (voices[0].text != "{" ? 1 : 0),
             "expected the end of the line after '{': a block's time lines follow on lines of "
             "their own, up to a line '}'");
    }
    // Opened even so, so that its lines are not read as the file's own.
    openBlock_ = static_cast<int>(blocks_.size());
    if (named) {
        blockIndex_.emplace(std::string(name), openBlock_);
    }
    blocks_.push_back({name, current_, {}});
}

void LineReader::readBlockLine(const std::vector<Word>& words) {
    Block& block = blocks_[openBlock_];
    if (words[0].text == "}") {
        openBlock_ = -1;
        if (words.size() > 1) {
            fail(words[1].offset, "expected the end of the line after '}'");
        } else if (block.lines.empty()) {
            fail(words[0].offset, "block " + Quoted(block.name) + " has no time lines");
        }
        return;
    }
    if (!isTime(words[0].text)) {
        fail(words[0].offset,
             "expected a time line (+h:mm[:ss] NAME) or '}' to end block " + Quoted(block.name));
        return;
    }
    readTimeLine(words);
}

void LineReader::readTimeLine(const std::vector<Word>& words) {
    if (openBlock_ < 0) {
        ++timeLines_;
    }
    TimedLine timed;
    timed.line = current_;
    timed.timeOffset = words[0].offset;
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
        timed.fadeIn = ff[0];
        timed.fadeOut = ff[1];
        timed.callOffset = words[i].offset;
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
    timed.name = name.text;
    timed.nameOffset = name.offset;
    if (i < words.size() && words[i].text == "->") {
        timed.arrow = true;
        timed.callOffset = std::min(timed.callOffset, words[i].offset);
        ++i;
    }
    if (i < words.size()) {
        fail(words[i].offset, "expected '->' or the end of the line after the tone-set name");
        return;
    }
    if (!placeTime(words[0], timed)) {
        return;
    }
    (openBlock_ >= 0 ? blocks_[openBlock_].lines : timed_).push_back(timed);
}

bool LineReader::placeTime(const Word& time, TimedLine& timed) {
    const TimeRead read = ReadTime(time.text);
    if (!read.error.empty()) {
        fail(time.offset + read.offset, read.error);
        return false;
    }
    if (openBlock_ >= 0) {
        if (read.base != TimeRead::Base::None) {
            fail(time.offset,
                 "a block's times are relative only (+h:mm or +h:mm:ss), counted from the line "
                 "that calls it");
            return false;
        }
        timed.ms = read.relativeMs;
        return true;
    }
    std::string error;
    const auto ms = clock_.Place(read, error);
    if (!ms) {
        fail(time.offset, error);
        return false;
    }
    timed.ms = *ms;
    timed.nextDay = clock_.NextDay();
    return true;
}

void LineReader::finish() {
    if (openBlock_ >= 0) {
        const Block& open = blocks_[openBlock_];
        errors_.push_back({open.line, 0,
                           "block " + Quoted(open.name) +
                               " is not closed: expected a line '}' after its "
                               "time lines"});
        ++errorCount_;
    }
    Expansion expanded = ExpandBlocks(timed_, blocks_, setIndex_, blockIndex_, kMaxErrors);
    for (BlockError& e : expanded.errors) {
        errors_.push_back({e.line, e.offset, std::move(e.message)});
    }
    errorCount_ += expanded.errorCount;
    session_.entries = std::move(expanded.entries);
    if (timeLines_ == 0) {
        errors_.push_back({-1, 0, "no time lines: a session needs at least one (TIME NAME)"});
        ++errorCount_;
    } else if (session_.ends && timeLines_ == 1 && session_.entries.size() < 2 && endsOption_) {
        errors_.push_back({endsOption_->line, endsOption_->offset,
                           "a session that ends (-E) needs two time lines or more: it ends at "
                           "the last one"});
        ++errorCount_;
    }
    finishOptions(expanded.firstMs);
    if (!session_.entries.empty() && session_.entries.back().arrow) {
        session_.entries.back().arrow = false;
        session_.idleArrowLine = session_.entries.back().line;
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

void LineReader::finishOptions(std::int64_t firstShift) {
    for (const WaveUse& use : waveUses_) {
        if (session_.drawnWaves[use.wave - kDrawnWave].empty()) {
            const std::string name = WaveName(use.wave);
            fail(use.at.line, use.at.offset,
                 name + " is not defined: no line " + name + ": gives its samples");
        }
    }
    if (!startOption_ || session_.entries.empty()) {
        return;
    }
    const std::optional<std::int64_t> origin = clock_.OriginClockMs();
    if (!origin) {
        fail(startOption_->line, startOption_->offset,
             "-T starts the session at a clock time, but its times count from NOW, which has "
             "none");
        return;
    }
    session_.startMs =
        StartOffset((*origin + firstShift) % kDayMs, session_.entries.back().ms, startClock_);
}

ReadResult LineReader::result() {
    ReadResult out;
    for (Error& e : errors_) {
        if (e.line < 0) {
            out.problems.push_back({0, 0, e.message, name_ + ": " + e.message});
            continue;
        }
        const std::string_view line = lines_[e.line];
        std::string text = FormatError(name_, e.line + 1, line, e.offset, e.message);
        out.problems.push_back(
            {e.line + 1, ColumnAt(line, e.offset), std::move(e.message), std::move(text)});
    }
    if (errorCount_ > kMaxErrors) {
        const std::string message = "too many errors (" + std::to_string(errorCount_) +
                                    "); the first " + std::to_string(kMaxErrors) + " are shown";
        out.problems.push_back({0, 0, message, name_ + ": " + message});
    }
    if (errorCount_ == 0) {
        out.session = std::move(session_);
    }
    return out;
}

}  // namespace session
