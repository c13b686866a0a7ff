// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a session's lines one by one into a Session, gathering every error with its line
// and column. One error per line: after the first, the rest of a line is not trusted.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/blocks.h"
#include "session/reader.h"
#include "session/time_text.h"

namespace session {

class LineReader {
  public:
    // `folder` ("dir/", or "") is where a relative -m name counts from; `mixFile`, when
    // given, is the mix file whatever -m says (the command line's --mix).
    explicit LineReader(std::string name, std::string folder = "",
                        std::optional<std::string> mixFile = std::nullopt);

    ReadResult Read(std::string_view text);
    // One tone-set's voices as the only line; the session holds one entry, endless.
    ReadResult ReadTones(std::string_view voices);

    // Errors shown; past this many the list ends with a line saying there were more.
    static constexpr int kMaxErrors = 20;

  private:
    struct Word {
        std::string_view text;
        std::size_t offset;  // in the line
    };
    struct Error {
        int line;  // index into lines_
        std::size_t offset;
        std::string message;
    };

    // The blank-separated words of `text`, with their offsets.
    static std::vector<Word> split(std::string_view text);
    void readLine(std::string_view line);
    void readOptions(const std::vector<Word>& words);
    // An option's value; false when it is not one the option takes.
    bool readValue(char option, const Word& value);
    void readWaveLine(const std::vector<Word>& words, std::size_t nameEnd, int wave);
    void finishOptions(std::int64_t firstShift);
    void readToneSet(const std::vector<Word>& words, std::size_t nameEnd);
    void readVoices(ToneSet& set, std::vector<Word> words);
    // `named`: callable by its name; a block whose name is taken is read but never called.
    void openBlock(const std::vector<Word>& voices, std::string_view name, bool named);
    void readBlockLine(const std::vector<Word>& words);
    void readTimeLine(const std::vector<Word>& words);
    bool placeTime(const Word& time, TimedLine& timed);
    // Where `name` is already defined as a tone-set or a block: the message, or "".
    std::string definedBefore(std::string_view name) const;
    void finish();
    void fail(std::size_t offset, std::string message);  // on the line being read
    void fail(int line, std::size_t offset, std::string message);
    ReadResult result();

    std::string name_;
    std::vector<std::string_view> lines_;
    int current_ = 0;  // the line being read, index into lines_

    Session session_;
    std::map<std::string, int, std::less<>> setIndex_;
    std::map<std::string, int, std::less<>> blockIndex_;  // one namespace with the tone-sets
    std::vector<Block> blocks_;
    std::vector<TimedLine> timed_;  // the time lines outside blocks, expanded at the end
    int openBlock_ = -1;            // the block whose lines are being read, up to its '}'
    SessionClock clock_;
    bool pastOptions_ = false;         // a tone-set or time line has been read
    std::string seenOptions_;          // the letters of the options given: S, E, F, r
    std::optional<Error> endsOption_;  // where -E or -SE was given
    int timeLines_ = 0;                // time lines outside blocks, read or not
    int rate_ = 44100;                 // -r, for the check of each voice
    std::string folder_;
    std::optional<std::string> mixOverride_;
    int defaultWave_ = kSine;  // -w
    struct WaveUse {           // a waveNN a voice or -w names, defined on any line
        Error at;
        int wave;
    };
    std::vector<WaveUse> waveUses_;
    std::vector<int> waveLines_ = std::vector<int>(kDrawnWaves);  // where each is defined, 1-based
    std::optional<Error> startOption_;                            // where -T's time was given
    std::int64_t startClock_ = 0;                                 // -T, from midnight

    std::vector<Error> errors_;  // the first kMaxErrors, in line order
    int errorCount_ = 0;
};

}  // namespace session
