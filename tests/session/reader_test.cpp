// SPDX-License-Identifier: GPL-3.0-or-later
// Session files to Sessions: what each kind of line means, and every error as the user
// sees it, at its line and column, bytes that are not text included.
#include "session/reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "session/describe.h"
#include "session/rate_check.h"
#include "session/timeline.h"
#include "session/voice_kind.h"

namespace {

using session::ReadSessionText;

std::string times(const char* part, int n) {
    std::string out;
    while (n-- > 0) {
        out += part;
    }
    return out;
}

TEST(ReaderErrors, EachNamesItsLineAndColumn) {
    const std::string set = "a: -\n";
    // One row a kind of error: the input, and the first error's first line after "t:" (long
    // messages cut short: the row checks that the line begins so).
    const struct {
        std::string text;
        std::string error;
    } rows[] = {
        {"-Q\n", "1:1: option -Q is not supported in session files"},
        {"-SE -F 5 -x1\n", "1:10: option -x1 is not supported in session files"},
        {set + "-E\n", "2:1: options come before every tone-set and time line"},
        {"-E -SE\n", "1:4: option -E is given twice"},
        {"-F 86400001\n", "1:4: -F takes the crossfade's length in whole milliseconds, 0 to"},
        {"-F\n", "1:3: -F takes the crossfade's length"},
        {"-r 7999\n", "1:4: -r takes a sample rate in hertz, 8000 to 192000"},
        {"-E x\n", "1:4: expected an option: -S, -E, -SE, -F MS, -r HZ, -m FILE, -T TIME, -q N or"},
        {"-p 1\n", "1:1: option -p is not supported in session files"},
        {"-q 0\n", "1:4: -q takes how many times as fast to run, a whole number 1 to 1000"},
        {"-q 1001\n", "1:4: -q takes how many"},
        {"-w saw\n", "1:4: -w takes a waveform: sine, square, triangle, sawtooth or wave00 to"},
        {"-w wave07\n" + set + "0:00 a\n", "1:4: wave07 is not defined: no line wave07: gives"},
        {"-T 0:00+1:00\n", "1:4: -T takes the clock time the session starts at, h:mm or h:mm:ss"},
        {"-T 0:00\n" + set + "NOW a\n", "1:4: -T starts the session at a clock time, but its"},
        {"-m\n", "1:3: -m takes the mix file's name"},
        {"-E\n" + set + "0:00 a\n", "1:1: a session that ends (-E) needs two time lines or more"},
        {"a$: -\n", "1:2: expected ':' after the tone-set name (a name has only letters,"},
        {"_a: -\n", "1:1: expected an option, a tone-set line (NAME: VOICES) or a time line"},
        {"wave03: 2 2 2\n", "1:1: wave03: the samples are flat: a wave needs samples that differ"},
        {"wave03: 0 1 0\nwave03: 1 0 0\n", "2:1: wave03 is already defined on line 1"},
        {"wave03: 1\n", "1:8: a waveform line gives one period in two samples or more"},
        {"wave03:1 -.5 -x\n", "1:15: expected a number"},
        // Blocks: an error inside an expansion names the calls that reached it.
        {"x: {\n+0:00 y\n}\ny: {\n+0:00 x\n}\n0:00 x\n",
         "5:7: block 'x' calls itself: x -> y -> x"},
        {"x: {\n+0:00 x\n}\n0:00 x\n", "2:7: block 'x' calls itself: x -> x"},
        {set + "i: {\n+0:00 a\n+0:00 a\n}\no: {\n+0:05 i\n}\n0:00 o\n",
         "4:1: the same time as the entry on line 3: entries come in time order (in block 'i', "
         "called on line 7; in block 'o', called on line 9)"},
        {set + "b: {\n+0:10 a\n}\n0:00 b\n0:05 a\n",
         "6:1: earlier than the entry on line 3: entries come in time order"},
        {"b: {\n0:00 a\n}\n", "2:1: a block's times are relative only (+h:mm or +h:mm:ss)"},
        {set + "b: {\n+0:00 a\n}\n0:00 == b\n", "5:6: a call of block 'b' takes no FF and no"},
        {"b: { +0:00 a\n}\n", "1:6: expected the end of the line after '{'"},
        {"b: {\n+0:00 a\n", "1:1: block 'b' is not closed: expected a line '}'"},
        {"b: {\n}\n", "2:1: block 'b' has no time lines"},
        {"b: {\nc: -\n}\n", "2:1: expected a time line (+h:mm[:ss] NAME) or '}' to end block"},
        {"}\n", "1:1: '}' without a block to close"},
        {set + "a: {\n}\n", "2:1: tone-set 'a' is already defined on line 1"},
        {set + set, "2:1: tone-set 'a' is already defined on line 1"},
        {"NOW: -\n", "1:1: NOW is a time; a tone-set needs another name"},
        {"a: " + times("- ", 17), "1:36: a tone-set has at most 16 voices"},
        {"a:\n", "1:3: expected voices after ':' (a slot left empty is '-')"},
        {"a: spin:10001+4/10\n", "1:9: a spin's width is 0 to 10000 microseconds"},
        {"a: spin:300*4/10\n", "1:12: expected '+' or '-' next (spin:W+B/A, spin:W-B/A)"},
        {"a: bell200/1\n", "1:8: expected '+' after 'bell' (bell+F/A)"},
        {"a: bell+22050/10\n", "1:4: a bell of 22050 Hz is not below half the sample rate"},
        {"a: mix/50\n", "1:4: a mix/ voice needs a mix file: give one with -m FILE"},
        {"a: mixspin:300+4/10\n", "1:4: mixspin: voices are not supported"},
        {"a: custom05:200/10\n", "1:4: customNN: voices (custom05:) are not supported"},
        {"a: square:pink/10\n", "1:4: a waveform prefix goes only before a binaural, plain or"},
        {"a: - wave03:200/5\n", "1:6: wave03 is not defined: no line wave03: gives its samples"},
        {"a: -200/10\n", "1:4: numbers are never negative ('-' alone leaves a slot empty)"},
        {"a: 200+-10/5\n", "1:8: numbers are never negative"},
        {"a: 200/100.5\n", "1:8: an amplitude is 0 to 100"},
        {"a: 5./10\n", "1:4: expected digits after '.'"},
        {"a: 200+10\n", "1:10: expected '/' and an amplitude after the beat"},
        {"a: 200x/1\n", "1:7: expected '+', '-', '@' or '/' after the carrier"},
        {"a: 200/10/\n", "1:10: unexpected '/' after the amplitude"},
        {"a: foo/10\n", "1:4: expected a voice: -, C+B/A, C-B/A, C/A, C@P/A, pink/A, white/A,"},
        {"a: pink\n", "1:8: expected '/' and an amplitude after 'pink'"},
        {"a: 100@0/5\n", "1:8: a pulse rate must be above 0"},
        // Half of 44100 is 22050; with -r 8000, 3990 + 20/2 reaches half of 8000.
        {"a: 22050/10\n", "1:4: a carrier of 22050 Hz is not below half the sample rate (22050"},
        {"-r 8000\na: 3990+20/10\n", "2:4: the upper ear at 4000 Hz is not below half the sample"},
        {"a: 123456789012345678901/1\n", "1:4: a number of more than 20 characters"},
        {"100:00 a\n", "1:1: hours have one or two digits"},
        {"+999999999999999999999:00 a\n", "1:2: hours have one or two digits"},
        {"24:00 a\n", "1:1: hours are 0 to 23 in a clock time (longer with +h:mm)"},
        {"0:60 a\n", "1:3: minutes are 0 to 59"},
        {"0:0:60 a\n", "1:5: seconds are 0 to 59"},
        {"0 a\n", "1:2: expected ':' and minutes after the hours"},
        {"0:00x a\n", "1:5: expected '+' and a relative time, or a blank, after the time"},
        {set + "+0:10 a\n", "2:1: a relative time alone counts from the last clock time or NOW"},
        {set + "NOW a\n0:10 a\n", "3:1: NOW and clock times cannot be mixed: a session plays"},
        {set + "0:00 a\n0:00 a\n", "3:1: the same time as the entry on line 2: entries come in"},
        {set + "0:00+1:00 a\n0:00+0:30 a\n", "3:1: earlier than the entry on line 2: entries"},
        // 1000 days are 24000 hours: 243 parts of 99 hours pass them.
        {set + "0:00 a\n0:00" + times("+99:00", 243) + " a\n", "3:1: more than 1000 days after"},
        {"0:00 b\n", "1:6: unknown tone-set 'b'"},
        {set + "0:00 =< a\n", "2:6: expected a tone-set name, or first how it fades in ('<', '-'"},
        {"0:00 ==\n", "1:8: expected a tone-set name after the time"},
        {"0:00 a->\n", "1:7: put a blank before '->'"},
        {"0:00 a.b\n", "1:7: a tone-set name has only letters, digits, '_' and '-'"},
        {"0:00 +0:10 a\n", "1:6: relative parts follow the time without a blank"},
        {set + "0:00 a -> x\n", "2:11: expected '->' or the end of the line after the tone-set"},
        {set, " no time lines: a session needs at least one (TIME NAME)"},
        {"a: \xed\xa0\x80\n", "1:4: not valid UTF-8 text"},  // a surrogate
        {std::string("a:\0-\n", 5), "1:3: a NUL byte is not allowed"},
        {"a: -\r-\n", "1:5: a carriage return inside a line is not allowed"},
        {"\x1b[31m\n", "1:1: a control character is not allowed"},
        {"## \xc2\x9b\n", "1:4: a control character is not allowed"},  // C1 CSI
        {set + "0:00 b\r\n", "2:6: unknown tone-set 'b'"},             // CR LF
        {"a: \xc3\xa9\xff\n", "1:5: not valid UTF-8 text"},            // é is one column
    };
    for (const auto& row : rows) {
        const auto result = ReadSessionText(row.text, "t");
        ASSERT_FALSE(result.problems.empty()) << row.text;
        const session::Problem& first = result.problems[0];
        EXPECT_EQ(first.text.substr(0, 2 + row.error.size()), "t:" + row.error);
        // The same place and message as data, for an editor to underline and list.
        const std::string place =
            first.line > 0 ? std::to_string(first.line) + ":" + std::to_string(first.column) + ": "
                           : " ";
        EXPECT_EQ((place + first.message).substr(0, row.error.size()), row.error) << row.text;
        EXPECT_FALSE(result.session.has_value());
    }
}

TEST(ReaderErrors, ShowTheLineWithACaretUnderTheColumn) {
    // 'a', ':', tab, '-', tab, '5', '/' come before column 8; the caret line keeps the tabs.
    auto problems = ReadSessionText("a:\t-\t5/200\n0:00 a\n", "f.sbg").problems;
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].text, "f.sbg:1:8: an amplitude is 0 to 100\na:\t-\t5/200\n  \t \t  ^");
    // Column 604 of a line of 604 characters: the last 160 are shown, marked "...".
    problems = ReadSessionText("a: -" + std::string(599, ' ') + "x\n0:00 a\n", "f").problems;
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].column, 604);
    const std::string& text = problems[0].text;
    EXPECT_EQ(text.substr(0, 14), "f:1:604: expec");
    // Cells 444 to 603 are shown: 159 blanks and the x.
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "..." + std::string(159, ' ') + "x\n" + std::string(3 + 159, ' ') + "^");
}

TEST(ReaderErrors, AreAllReportedUpToTwenty) {
    const auto problems = ReadSessionText(times("x\n", 25), "t").problems;
    ASSERT_EQ(problems.size(), 21u);
    EXPECT_EQ(problems[19].text.substr(0, 8), "t:20:2: ");
    // The 25 lines, and that there is no time line: the whole file's, at line 0.
    EXPECT_EQ(problems[20].line, 0);
    EXPECT_EQ(problems[20].text, "t: too many errors (26); the first 20 are shown");
}

TEST(ReaderErrors, FilesThatCannotBeReadAndOtherRates) {
    EXPECT_EQ(session::ReadSessionFile("/nonexistent.sbg").problems.at(0).text,
              "/nonexistent.sbg: cannot read: No such file or directory");
    EXPECT_EQ(session::ReadSessionFile("/").problems.at(0).text, "/: cannot read: Is a directory");
    EXPECT_EQ(session::ReadTones("pink/30 200+10").problems.at(0).text,
              "--tones:1:15: expected '/' and an amplitude after the beat\n"
              "pink/30 200+10\n              ^");
    const auto read = ReadSessionText("a: 100/1\nb: 50/1 3990+20/1\n0:00 a\n", "t");
    ASSERT_TRUE(read.session);
    const auto problems = session::CheckRate(*read.session, 8000);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line * 100 + problems[0].column, 209);
    EXPECT_EQ(problems[0].text, "t:2:9: " + problems[0].message);
    EXPECT_EQ(problems[0].message,
              "the upper ear at 4000 Hz is not below half the sample rate (4000 Hz at 8000 Hz)");
}

// "kind carrier beat pulse amplitude column [wWAVE]" of each voice; "ms set in out arrow line"
// of each entry.
std::string dump(const session::Session& s) {
    std::ostringstream out;
    for (const session::Voice& v : s.sets.at(0).voices) {
        out << static_cast<int>(v.kind) << ' ' << v.carrier << ' ' << v.beat << ' ' << v.pulse
            << ' ' << v.amplitude << ' ' << v.column << (v.wave != 0 ? " w" : "")
            << (v.wave != 0 ? std::to_string(v.wave) : "") << "; ";
    }
    for (const session::Entry& e : s.entries) {
        out << e.ms << ' ' << e.set << ' ' << e.fadeIn << e.fadeOut << ' ' << e.arrow << ' '
            << e.line << "; ";
    }
    return out.str();
}

TEST(Reader, ReadsOptionsVoicesAndTimes) {
    // 23:00 is the start. +0:40 counts from 23:30:15, the last clock time: 00:10:15 the next
    // day, 70:15 from the start; 00:20 is earlier than 23:30:15, so also the next day: 80:00.
    const auto read = ReadSessionText(
        "## First line\n##  Second\n-SE -F 1001\n-r 48000\n"
        "all: - 200+10/20 300-4.5/10 440/5 100@7.5/15 pink/30 white/.5 brown/0  # all\n"
        "off: -\n23:00 all\n23:30:15 <> off ->\n+0:40 all\n\t00:20 == off\n",
        "t");
    ASSERT_TRUE(read.session) << read.problems.at(0).text;
    const session::Session& s = *read.session;
    EXPECT_EQ(s.descriptions, (std::vector<std::string>{"First line", " Second"}));
    EXPECT_TRUE(s.ends);
    EXPECT_EQ(s.crossfadeMs, 1001);
    EXPECT_EQ(s.rate, 48000);
    // Kinds: 0 none, 1 binaural, 2 tone, 3 isochronic, 4 pink, 5 white, 6 brown.
    EXPECT_EQ(dump(s),
              "0 0 0 0 0 6; 1 200 10 0 20 8; 1 300 -4.5 0 10 18; 2 440 0 0 5 29; "
              "3 100 0 7.5 15 35; 4 0 0 0 30 46; 5 0 0 0 0.5 54; 6 0 0 0 0 63; "
              "0 0 -- 0 7; 1815000 1 <> 1 8; 4215000 0 -- 0 9; 4800000 1 == 0 10; ");
}

// "ms set in out arrow" of each entry, without lines: a block's and its hand expansion's.
std::string entries(const std::string& text) {
    const auto read = ReadSessionText(text, "t");
    std::ostringstream out;
    for (const session::Entry& e : read.session.value().entries) {
        out << e.ms << ' ' << e.set << ' ' << e.fadeIn << e.fadeOut << ' ' << e.arrow << "; ";
    }
    return out.str();
}

TEST(Reader, ExpandsBlocksInPlaceAsIfWrittenOut) {
    const std::string sets = "a: pink/10\nb: 200+4/10\n";
    // +0:30 counts from 0:01, the last clock time, whatever the block's lines said; the "->"
    // on the last expanded entry (line 6) changes nothing.
    const std::string blocks = sets +
                               "bursts: {\n +0:00 a ->\n +0:01 == b\n +0:02 <> a ->\n}\n"
                               "twice: {\n +0:00 bursts\n +0:10 bursts\n}\n"
                               "0:00 b\n0:01 twice\n+0:30 a ->\n1:00 bursts\n";
    const std::string byHand = sets +
                               "0:00 b\n0:01 a ->\n0:02 == b\n0:03 <> a ->\n0:11 a ->\n"
                               "0:12 == b\n0:13 <> a ->\n0:31 a ->\n1:00 a ->\n1:01 == b\n"
                               "1:02 <> a\n";
    EXPECT_EQ(entries(blocks), entries(byHand));
    EXPECT_EQ(ReadSessionText(blocks, "t").session->idleArrowLine, 6);

    // Five levels of ten calls, 10^L seconds apart: 100000 entries, the last at 99999 s,
    // which is as many as a file may expand to.
    std::string tens = "a: -\n";
    for (int level = 0, step = 1; level < 5; ++level, step *= 10) {
        tens += "L" + std::to_string(level) + ": {\n";
        for (int k = 0; k < 10; ++k) {
            const int at = k * step;
            char line[64];
            std::snprintf(line, sizeof line, "+%d:%02d:%02d %s\n", at / 3600, at / 60 % 60, at % 60,
                          level == 0 ? "a" : ("L" + std::to_string(level - 1)).c_str());
            tens += line;
        }
        tens += "}\n";
    }
    const auto all = ReadSessionText(tens + "0:00 L4\n", "t");
    ASSERT_TRUE(all.session);
    EXPECT_EQ(all.session->entries.size(), 100000u);
    EXPECT_EQ(all.session->entries.back().ms, 99999000);
    const std::string over = ReadSessionText(tens + "0:00 a\n0:01 L4\n", "t").problems.at(0).text;
    EXPECT_EQ(over.substr(0, over.find('\n')),
              "t:63:6: the blocks called up to here expand to more than 100000 entries");

    // A nest of 1000 blocks, each a second into the next: the entry 1001 s after the start.
    std::string nest = "a: -\nn0: {\n+0:00:01 a\n}\n";
    for (int k = 1; k < 1000; ++k) {
        nest += "n" + std::to_string(k) + ": {\n+0:00:01 n" + std::to_string(k - 1) + "\n}\n";
    }
    EXPECT_EQ(entries(nest + "0:00 a\n0:00:01 n999\n"), "0 0 -- 0; 1001000 0 -- 0; ");
}

TEST(Reader, ReadsTheWiderVoicesWavesAndOptions) {
    const std::string text =
        "-m sounds/rain.flac -q 4\n-w triangle\nwave07: 0 1 0 -1.5\n"
        "all: spin:300+4/10 bspin:0-.5/5 wspin:10000+1/5 bell+2000/20 mix/30 200+10/5 "
        "square:440/5 wave07:100@4/5 pink/1\n0:00 all\n";
    const auto read = ReadSessionText(text, "dir/s.sbg");
    ASSERT_TRUE(read.session) << read.problems.at(0).text;
    const session::Session& s = *read.session;
    // Kinds 7 to 11: spin, bspin, wspin, bell, mix; waves 1 square, 2 triangle, 107 wave07.
    EXPECT_EQ(dump(s),
              "7 300 4 0 10 6; 8 0 -0.5 0 5 20; 9 10000 1 0 5 33; 10 2000 0 0 20 49; "
              "11 0 0 0 30 62; 1 200 10 0 5 69 w2; 2 440 0 0 5 78 w1; 3 100 0 4 5 91 w107; "
              "4 0 0 0 1 106; 0 0 -- 0 5; ");
    EXPECT_EQ(s.mixFile, "dir/sounds/rain.flac");
    EXPECT_EQ(s.mixLine * 100 + s.mixColumn, 104);
    EXPECT_EQ(s.quick, 4);
    EXPECT_EQ(s.drawnWaves[7], (std::vector<double>{0, 1, 0, -1.5}));
    // --mix replaces -m, as given, and gives a mix/ voice its file.
    EXPECT_EQ(ReadSessionText(text, "dir/s.sbg", "/m.wav").session->mixFile, "/m.wav");
    EXPECT_TRUE(ReadSessionText("a: mix/5\n0:00 a\n", "s", "m.wav").session);
    // A different wave is another voice: a change to it crossfades.
    const auto& v = s.sets[0].voices;
    session::Voice square = v[5];
    square.wave = session::kSquare;
    EXPECT_TRUE(session::SameValues(v[5], v[5]));
    EXPECT_FALSE(session::SameValues(v[5], square));
}

TEST(Reader, CheckListsTheWiderVoicesAndWaves) {
    const auto read = session::ReadTones("spin:300+4/10 bell+2000/20 square:200+10/5");
    ASSERT_TRUE(read.session) << read.problems.at(0).text;
    const std::string text =
        session::Describe(*read.session, session::BuildTimeline(*read.session, 44100));
    const std::string blanks(40, ' ');
    // Columns of 12 and 38 characters: "µs" is one column wider than its bytes say.
    for (const std::string& line :
         {"     1  spin (pink)  300 µs, 4 turns a second" + blanks.substr(0, 19) + "10%\n",
          "     2  bell" + blanks.substr(0, 9) + "2000 Hz" + blanks.substr(0, 36) + "20%\n",
          "     3  binaural" + blanks.substr(0, 5) + "square, left 205 Hz, right 195 Hz" +
              blanks.substr(0, 11) + "5%\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
}

TEST(Reader, StartsAtTheClockTimeOfT) {
    const struct {
        const char* times;
        const char* start;
        std::int64_t ms;
    } rows[] = {
        {"0:00:01 a\n", "0:00", -1000},             // a second of silence first
        {"22:00 a\n02:00 a\n", "23:30", 5400000},   // skips 1:30 across midnight
        {"22:00 a\n02:00 a\n", "2:00", 14400000},   // the last entry itself
        {"22:00 a\n02:00 a\n", "3:00", -68400000},  // past the last: silence from 3:00 to 22:00
        {"b: {\n+0:10 a\n}\n1:00 b\n", "1:05", -300000},  // the first entry is the block's, at 1:10
    };
    for (const auto& row : rows) {
        const auto read =
            ReadSessionText(std::string("-T ") + row.start + "\na: -\n" + row.times, "t");
        ASSERT_TRUE(read.session) << read.problems.at(0).text;
        EXPECT_EQ(read.session->startMs, row.ms) << row.times << row.start;
    }
}

TEST(Reader, CountsNowAndRelativeTimesFromTheStart) {
    // NOW is 0; +1:0:0 alone counts from the last NOW written, not from the entry before.
    const auto read =
        ReadSessionText("\xEF\xBB\xBFNOW b\r\nNOW+0:0:30 b\n+1:0:0 b\nb: pink/1", "t");
    ASSERT_TRUE(read.session) << read.problems.at(0).text;
    EXPECT_EQ(dump(*read.session), "4 0 0 0 1 4; 0 0 -- 0 1; 30000 0 -- 0 2; 3600000 0 -- 0 3; ");
}

}  // namespace
