// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions laid out in samples, against spans, windows and levels worked out by hand.
#include "session/timeline.h"

#include <gtest/gtest.h>

#include <sstream>

#include "session/clock.h"
#include "session/describe.h"
#include "session/reader.h"

namespace {

session::Timeline build(const std::string& text, int rate) {
    const auto read = session::ReadSessionText(text, "t");
    EXPECT_TRUE(read.session) << (read.problems.empty() ? "" : read.problems[0].text);
    return read.session ? session::BuildTimeline(*read.session, rate) : session::Timeline{};
}

// "[begin,end) #id from>to ..." per span, "; " between; "inf" for kEndless; carrier and
// beat added where a slide moves them.
std::string spans(const session::Timeline& t) {
    std::ostringstream out;
    for (const auto& s : t.spans) {
        out << (out.tellp() == 0 ? "[" : "; [") << s.begin << ','
            << (s.end == session::kEndless ? "inf" : std::to_string(s.end)) << ')';
        for (const auto& k : s.tracks) {
            out << " #" << k.id << ' ' << k.from.amplitude << '>' << k.to.amplitude;
            if (k.from.carrier != k.to.carrier || k.from.beat != k.to.beat) {
                out << " c" << k.from.carrier << '>' << k.to.carrier << " b" << k.from.beat << '>'
                    << k.to.beat;
            }
        }
    }
    return out.str();
}

TEST(Timeline, SpansTracksAndLevels) {
    const struct {
        const char* what;
        std::string text;
        int rate;
        std::string spans;
    } rows[] = {
        // Periods of 60 s and 20 s: the change at 60 s reaches only 10 s either side (the
        // middle of the second period); the last change of an endless session only the
        // middle of the period before it: [70, 90] s. At 8000 Hz 10 s is 80000 samples.
        // The empty slot has no track; the voice of `a` that comes back is a new track.
        {"shortened", "a: - 100/50\nb: 200/40\n0:00 a\n0:01 b\n0:01:20 a\n", 8000,
         "[0,400000) #0 0.5>0.5; [400000,560000) #1 0>0.4 #0 0.5>0; "
         "[560000,720000) #1 0.4>0 #2 0>0.5; [720000,inf) #2 0.5>0.5"},
        // "->": the first period is the change, [0, 10] s, and a slide without "==": the
        // pink noise moves to its new level, 100 Hz slides to 150 Hz. The session ends (-E)
        // at 20 s, so the change into the last entry, a crossfade, ends there: [15, 20] s.
        // With '<' on the next entry, or '>' on the arrow's own, "->" fades through silence.
        {"arrow and end",
         "-E\na: pink/20 100/50\nb: pink/40 150/50\n0:00 a ->\n0:00:10 b\n0:00:20 a\n", 44100,
         "[0,441000) #0 0.2>0.4 #1 0.5>0.5 c100>150 b0>0; [441000,661500) #0 0.4>0.4 #1 0.5>0.5; "
         "[661500,882000) #0 0.4>0.2 #1 0.5>0 #2 0>0.5"},
        {"arrow to silence", "a: 100/50\nb: 150/50\n0:00 a ->\n0:00:10 <- b\n", 8000,
         "[0,40000) #0 0.5>0; [40000,80000) #1 0>0.5; [80000,inf) #1 0.5>0.5"},
        {"arrow from silence", "a: 100/50\nb: 150/50\n0:00 -> a ->\n0:00:10 b\n", 8000,
         "[0,40000) #0 0.5>0; [40000,80000) #1 0>0.5; [80000,inf) #1 0.5>0.5"},
        // "-=" then "=>": a slide over [30, 90] s, binaural to binaural (200+10 to 220-4), pink
        // to white crossfading; then '>' asks for silence: over [90, 150] s the old set is
        // gone by 120 s and the new one comes in from there, every voice a new track.
        {"slide and silence",
         "a: 200+10/30 pink/10\nb: 220-4/60 white/10\n0:00 -= a\n0:01 => b\n0:02 a\n", 8000,
         "[0,240000) #0 0.3>0.3 #1 0.1>0.1; [240000,720000) #0 0.3>0.6 c200>220 b10>-4 #1 0.1>0 "
         "#2 0>0.1; [720000,960000) #0 0.6>0 #2 0.1>0; [960000,1200000) #3 0>0.3 #4 0>0.1; "
         "[1200000,inf) #3 0.3>0.3 #4 0.1>0.1"},
        // '<' on the next entry asks for silence too; the window ends where the session
        // does: [30, 60] s with the silent middle at 45 s (360000 samples at 8000 Hz).
        {"fade in after silence", "-SE\na: 100/10\nb: 200/10\n0:00 a\n0:01 <- b\n", 8000,
         "[0,240000) #0 0.1>0.1; [240000,360000) #0 0.1>0; [360000,480000) #1 0>0.1"},
        // 23:59:30 to 00:00:30 is one minute across midnight: windows [30, 90] and
        // [90, 150] s. The same 100 Hz tone in both sets stays one track.
        {"next day", "a: 100/10\nb: 100/20\n23:59:30 a\n00:00:30 b\n00:01:30 a\n", 8000,
         "[0,240000) #0 0.1>0.1; [240000,720000) #0 0.1>0.2; [720000,1200000) #0 0.2>0.1; "
         "[1200000,inf) #0 0.1>0.1"},
        // -F 1001: half is 500.5 ms around 10 s: [9499.5, 10500.5] ms, at 44100 Hz
        // 418927.95 and 463072.05 samples. -F 10 at 44100 Hz: 441000 ± 220.5 samples, the
        // halves rounded up to 440780 and 441221.
        {"-F 1001", "-F 1001\na: 1/1\nb: 2/1\n0:00 a\n0:00:10 b\n", 44100,
         "[0,418928) #0 0.01>0.01; [418928,463072) #0 0.01>0 #1 0>0.01; [463072,inf) #1 0.01>0.01"},
        {"-F 10", "-F 10\na: 1/1\nb: 2/1\n0:00 a\n0:00:10 b\n", 44100,
         "[0,440780) #0 0.01>0.01; [440780,441221) #0 0.01>0 #1 0>0.01; [441221,inf) #1 0.01>0.01"},
        // "200/50" is "200+0/40" at another level: one track that moves, never a fade out
        // and in again; and a slide from it to 210+10 moves one track's beat from 0.
        {"C/A is C+0/A", "a: 200/50\nb: 200+0/40\n0:00 a\n0:01 b\n0:02 a\n", 8000,
         "[0,240000) #0 0.5>0.5; [240000,720000) #0 0.5>0.4; [720000,1200000) #0 0.4>0.5; "
         "[1200000,inf) #0 0.5>0.5"},
        {"C/A slides", "a: 200/50\nc: 210+10/50\n0:00 == a ->\n0:00:10 == c\n", 8000,
         "[0,80000) #0 0.5>0.5 c200>210 b0>10; [80000,inf) #0 0.5>0.5"},
        // "->" on the last entry changes nothing: the change into it is an ordinary one of
        // an endless session, [30, 90] s, limited only by the period before.
        {"last arrow", "a: 100/10\nb: pink/10\n0:00 a\n0:01 b ->\n", 8000,
         "[0,240000) #0 0.1>0.1; [240000,720000) #0 0.1>0 #1 0>0.1; [720000,inf) #1 0.1>0.1"},
        // Before an entry with "->" only the period before limits the window: [30, 60] s,
        // though the 10 s after would allow 5 s; then that whole period is the change.
        {"into an arrow", "a: 100/10\nb: pink/10\nc: white/10\n0:00 a\n0:01 b ->\n0:01:10 c\n",
         8000,
         "[0,240000) #0 0.1>0.1; [240000,480000) #0 0.1>0 #1 0>0.1; [480000,560000) #1 0.1>0 "
         "#2 0>0.1; [560000,inf) #2 0.1>0.1"},
        // 80 + 50 = 130: both scaled by 100/130.
        {"scaled", "a: 100/80 200/50\nNOW a\n", 44100,
         "[0,inf) #0 0.615385>0.615385 #1 0.384615>0.384615"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(spans(build(row.text, row.rate)), row.spans) << row.what;
    }
}

TEST(Timeline, TheExampleSession) {
    const auto t = build(
        "-SE\nstart: pink/40 200+10/15\ndeep:  pink/40 200+6/20\noff:   -\n"
        "00:00:00 off ->\n00:00:15 start\n00:10:00 == start ->\n00:15:00 == deep\n"
        "00:25:00 == deep ->\n00:29:00 == start ->\n00:30:00 off\n",
        44100);
    // At 44100 Hz: 15 s = 661500, 9:30 = 25137000, 10:00 = 26460000, 15:00 = 39690000,
    // 24:30 = 64827000, 25:00 = 66150000, 29:00 = 76734000, 30:00 = 79380000. The change
    // into 10:00 (which has "->") is the 30 s before it; so is the one into 25:00.
    // Each period: entry, begin, end, change (1 crossfade, 2 slide), window.
    std::ostringstream periods;
    for (const session::Period& p : t.periods) {
        periods << p.entry << ' ' << p.begin << ' ' << p.end << ' ' << static_cast<int>(p.change)
                << ' ' << p.changeBegin << ' ' << p.changeEnd << "; ";
    }
    EXPECT_EQ(periods.str(),
              "0 0 661500 2 0 661500; 1 661500 26460000 1 25137000 26460000; "
              "2 26460000 39690000 2 26460000 39690000; 3 39690000 66150000 2 64827000 66150000; "
              "4 66150000 76734000 2 66150000 76734000; 5 76734000 79380000 2 76734000 79380000; ");
    EXPECT_EQ(t.end, 79380000);
    // The pink noise is one track from the first sample to the last.
    for (const auto& span : t.spans) {
        EXPECT_EQ(span.tracks.at(0).id, 0);
    }
}

// Frames back to the last whole millisecond reached, in each style the commands show.
TEST(Clock, MillisecondsRoundDownAndShowInEachStyle) {
    using session::ClockStyle;
    // 45 frames at 44100 Hz = 1.0204 ms -> 1; 44099 = 999.98 ms -> 999 (the rows of
    // SpansTracksAndLevels hold the rounding to frames, halves up).
    EXPECT_EQ(session::MsOfFrames(45, 44100), 1);
    EXPECT_EQ(session::MsOfFrames(44099, 44100), 999);
    const struct {
        std::int64_t ms;
        ClockStyle style;
        const char* text;
    } rows[] = {{245250, ClockStyle::Listing, "00:04:05.250"},
                {245000, ClockStyle::Listing, "00:04:05"},
                {245999, ClockStyle::Running, "0:04:05"},
                {245000, ClockStyle::Exact, "0:04:05.000"},
                {100 * 3600000LL, ClockStyle::Running, "100:00:00"}};
    for (const auto& r : rows) {
        EXPECT_EQ(session::FormatClock(r.ms, r.style), r.text);
    }
    // The command line's h:mm:ss: any hours up to the bound, two-digit minutes and seconds.
    EXPECT_EQ(session::ReadClock("24000:1:02"), 24000 * 3600000LL + 62000);
    for (const char* bad : {"24001:00:00", "1:2", "1:60:00", "1:00:100", "1:0a:00", ":00:00"}) {
        EXPECT_FALSE(session::ReadClock(bad)) << bad;
    }
}

TEST(Describe, NotesAnArrowOnTheLastEntry) {
    const auto read =
        session::ReadSessionText("-SE\na: 100/10\noff: -\n0:00 a\n0:01 off ->\n", "t");
    ASSERT_TRUE(read.session);
    EXPECT_NE(session::Describe(*read.session, session::BuildTimeline(*read.session, 8000))
                  .find("  line 5: '->' on the last entry changes nothing: no entry follows it\n"),
              std::string::npos);
}

}  // namespace

namespace {

using session::VoiceKind;

TEST(Timeline, BellsRingOnTheirOwnAndMinusQAndMinusTMoveEveryTime) {
    // a: a bell of 1000 Hz at 40 and a plain tone at 60, struck at 0:00 and 0:00:10.
    session::Session s;
    s.sets = {{"a", {{VoiceKind::Bell, 1000, 0, 0, 40}, {VoiceKind::Tone, 200, 0, 0, 60}}, 1}};
    s.entries = {{0, 0}, {10000, 0}};
    s.quick = 2;  // the second entry at 5 s, 40000 samples at 8000 Hz; the window 2.5-7.5 s
    session::Timeline t = session::BuildTimeline(s, 8000);
    EXPECT_EQ(spans(t),
              "[0,20000) #0 0.6>0.6 #1 0.4>0.4; [20000,60000) #0 0.6>0.6 #1 0.4>0.4 #2 0.4>0.4; "
              "[60000,inf) #0 0.6>0.6 #2 0.4>0.4");
    EXPECT_EQ(t.spans[1].tracks[1].strike, 0);
    EXPECT_EQ(t.spans[1].tracks[2].strike, 40000);
    EXPECT_EQ(t.spans[1].tracks[2].kind, VoiceKind::Bell);
    // -T after the first entry: 2.5 s of the file skipped, at -q 2 1.25 s; before it: one
    // second of silence first, half a second at -q 2.
    s.startMs = 2500;
    EXPECT_EQ(session::BuildTimeline(s, 8000).start, 10000);
    s.startMs = -1000;
    t = session::BuildTimeline(s, 8000);
    EXPECT_EQ(t.start, 0);
    EXPECT_EQ(spans(t).substr(0, 27), "[0,4000); [4000,24000) #0 0");
    EXPECT_EQ(t.periods[1].begin, 44000);
}

}  // namespace
