// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions that must sound exactly as another written out by hand: blocks as their
// expansion, -q as the file at a fraction of its times, -T as the tail of a render from the
// start (a bell's tail included) or after its silence, -w as the prefixes it stands for.
#include <gtest/gtest.h>

#include <vector>

#include "session/reader.h"
#include "session/synth.h"
#include "session/timeline.h"

namespace {

using namespace session;
using Samples = std::vector<std::int32_t>;

constexpr int kRate = 8000;

// `frames` frames of the session from its own start (-T's skip included).
Samples render(const std::string& text, std::int64_t frames) {
    const ReadResult read = ReadSessionText(text, "s.sbg");
    EXPECT_TRUE(read.session) << (read.problems.empty() ? "" : read.problems[0].text) << "\n"
                              << text;
    if (!read.session) {
        return {};
    }
    const Timeline t = BuildTimeline(*read.session, kRate);
    Samples out(2 * static_cast<std::size_t>(frames));
    Synth synth(t, 3, kPcm16);
    synth.Seek(t.start);
    synth.Render(out.data(), static_cast<int>(frames));
    return out;
}

TEST(Forms, EachSoundsExactlyAsItsHandWrittenEquivalent) {
    const std::string sets =
        "a: pink/10 200+10/20 bell+700/20\nb: spin:400+3/20 square:300@4/20\noff: -\n";
    const struct {
        const char* what;
        std::string text;
        std::string same;  // written out by hand
        int skip;          // seconds of `same` before `text` starts
    } rows[] = {
        {"a block, called and nested",
         sets + "pair: {\n+0:00:10 a\n+0:00:20 b ->\n}\nfour: {\n+0:00:00 pair\n+0:00:40 pair\n}\n"
                "0:00 off\n0:01 four\n0:03 a\n",
         sets + "0:00 off\n0:01:10 a\n0:01:20 b ->\n0:01:50 a\n0:02:00 b ->\n0:03 a\n", 0},
        {"-q 2: every time and the crossfade halved", "-q 2\n" + sets + "0:00 a\n0:01 b\n0:02 a\n",
         "-F 30000\n" + sets + "0:00 a\n0:00:30 b\n0:01 a\n", 0},
        {"-T within the session: the tail of a play from the start",
         "-T 10:00:05\n" + sets + "10:00 a\n10:01 b\n", sets + "10:00 a\n10:01 b\n", 5},
        {"-w: the wave of every tone voice without its own",
         "-w triangle\na: 200+10/20 sine:300/10 wave07:150@3/10\nwave07: 0 1 0 -1 2\n0:00 a\n",
         "a: triangle:200+10/20 300/10 wave07:150@3/10\nwave07: 0 1 0 -1 2\n0:00 a\n", 0},
    };
    for (const auto& r : rows) {
        const Samples got = render(r.text, 150 * kRate);
        const Samples all = render(r.same, (150 + r.skip) * kRate);
        ASSERT_EQ(got.size() + 2u * r.skip * kRate, all.size()) << r.what;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), all.begin() + 2 * r.skip * kRate)) << r.what;
    }
    // -T before the first entry: that much silence, then the session from its start.
    const Samples late = render("-T 9:59:58\n" + sets + "10:00 a\n", 12 * kRate);
    const Samples from = render(sets + "10:00 a\n", 10 * kRate);
    EXPECT_TRUE(std::all_of(late.begin(), late.begin() + 4 * kRate, [](int v) { return v == 0; }));
    EXPECT_TRUE(std::equal(from.begin(), from.end(), late.begin() + 4 * kRate));
}

}  // namespace
