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

#include "session/reader.h"
#include "session/time_text.h"

namespace session {

class LineReader {
  public:
    explicit LineReader(std::string name);

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
    struct Pending {  // a time line's tone-set, resolved once every line is read
        int line;
        std::size_t offset;
        std::string_view name;
        std::size_t entry;
    };

    // The blank-separated words of `text`, with their offsets.
    static std::vector<Word> split(std::string_view text);
    void readLine(std::string_view line);
    void readOptions(const std::vector<Word>& words);
    void readToneSet(const std::vector<Word>& words, std::size_t nameEnd);
    void readVoices(ToneSet& set, std::vector<Word> words);
    void readTimeLine(const std::vector<Word>& words);
    bool placeEntry(const Word& time, Entry& entry);
    void finish();
    void fail(std::size_t offset, std::string message);
    ReadResult result();

    std::string name_;
    std::vector<std::string_view> lines_;
    int current_ = 0;  // the line being read, index into lines_

    Session session_;
    std::map<std::string, int, std::less<>> setIndex_;
    std::vector<Pending> pending_;
    SessionClock clock_;
    bool pastOptions_ = false;         // a tone-set or time line has been read
    bool inBlock_ = false;             // inside an unsupported block, skipped up to its '}'
    std::string seenOptions_;          // the letters of the options given: S, E, F, r
    std::optional<Error> endsOption_;  // where -E or -SE was given
    std::optional<Error> lastArrow_;   // where the last time line's "->" was, for check's note
    int timeLines_ = 0;                // time lines seen, read or not
    int rate_ = 44100;                 // -r, for the check of each voice

    std::vector<Error> errors_;  // the first kMaxErrors, in line order
    int errorCount_ = 0;
};

}  // namespace session
