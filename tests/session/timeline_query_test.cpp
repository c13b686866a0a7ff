// SPDX-License-Identifier: GPL-3.0-or-later
// What a timeline holds at a frame, against periods, values and change windows worked out
// by hand from the session's times.
#include "session/timeline_query.h"

#include <gtest/gtest.h>

#include "session/reader.h"

namespace {

using When = session::NextChange::When;

// A slide from a 10 Hz to a 6 Hz beat over the first minute, a crossfade into the same
// voices at 1:40 (window 1:30 to 1:50, half the 20 s period after it), and the fade into
// the last entry over its last 10 s (half the period before it).
constexpr const char* kSlide =
    "-SE\na: 200+10/20 pink/40\nb: 200+6/20 pink/40\n"
    "0:00:00 a ->\n0:01:00 b\n0:01:40 b\n0:02:00 b\n";
// -T a minute before the first entry: a minute of silence first, then a voice without end.
constexpr const char* kLate = "-T 0:00\na: 300@4/30\n0:01:00 a\n";

constexpr int kRate = 8000;

TEST(TimelineQuery, PeriodVoicesAndNextChangeAtAFrame) {
    const struct {
        const char* text;
        double seconds;
        int period;
        std::size_t voices;
        double carrier;  // of the first voice
        double beat;     // its beat, or an isochronic voice's pulse
        double level;
        When when;
        double changeAt;  // the next change's begin (Coming) or end (Running), in seconds
    } cases[] = {
        {kSlide, 0, 0, 2, 200, 10, 0.2, When::Running, 60},
        {kSlide, 15, 0, 2, 200, 9, 0.2, When::Running, 60},
        {kSlide, 45, 0, 2, 200, 7, 0.2, When::Running, 60},
        {kSlide, 70, 1, 2, 200, 6, 0.2, When::Coming, 90},
        {kSlide, 100, 2, 2, 200, 6, 0.2, When::Running, 110},
        {kSlide, 112, 2, 2, 200, 6, 0.2, When::Running, 120},
        {kSlide, 120, 2, 0, 0, 0, 0, When::None, 0},  // past the end: nothing sounds
        {kLate, 30, -1, 0, 0, 0, 0, When::None, 0},   // the silence before the first entry
        {kLate, 90, 0, 1, 300, 4, 0.3, When::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text == kSlide ? "slide" : "late") + " at " +
                     std::to_string(c.seconds) + " s");
        const auto read = session::ReadSessionText(c.text, "t");
        ASSERT_TRUE(read.session) << read.problems.front().text;
        const session::Timeline t = session::BuildTimeline(*read.session, kRate);
        const auto frame = static_cast<std::int64_t>(c.seconds * kRate);
        EXPECT_EQ(session::PeriodAt(t, frame), c.period);
        const std::vector<session::VoiceAt> voices = session::VoicesAt(t, frame);
        ASSERT_EQ(voices.size(), c.voices);
        if (!voices.empty()) {
            const session::VoiceState& v = voices.front().state;
            EXPECT_DOUBLE_EQ(v.carrier, c.carrier);
            EXPECT_DOUBLE_EQ(v.beat + v.pulse, c.beat);
            EXPECT_DOUBLE_EQ(v.amplitude, c.level);
        }
        const session::NextChange next = session::NextChangeAt(t, frame);
        EXPECT_EQ(next.when, c.when);
        const std::int64_t at = c.when == When::Coming ? next.begin : next.end;
        if (c.when != When::None) {
            EXPECT_EQ(at, static_cast<std::int64_t>(c.changeAt * kRate));
        }
    }
}

}  // namespace
