// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/check.h"

#include <cstdio>

#include "cli/session_source.h"

#include "session/clock.h"
#include "session/describe.h"
#include "session/reader.h"
#include "session/timeline.h"

namespace cli {

int RunCheck(const CheckOptions& options) {
    const session::ReadResult read = session::ReadSessionFile(options.file, options.mix);
    if (!read.session) {
        // The first line of each error carries the program's name; the line and the caret
        // under it follow as they are.
        PrintProblems(read.problems);
        return 2;
    }
    // Positions at the rate a render uses by default, so that every time shown is a sample.
    const int rate = session::RateInUse(*read.session);
    const session::OpenedMix mix = OpenMixOrSay(*read.session, rate);
    if (mix.problem) {
        return 2;
    }
    const session::Timeline timeline = session::BuildTimeline(*read.session, rate);
    std::string text = session::Describe(*read.session, timeline);
    if (mix.file) {
        // After the heading's first line, with the notes on the whole session.
        const std::size_t heading = text.find(read.session->source + ": ");
        text.insert(text.find('\n', heading) + 1, session::DescribeMix(*read.session, *mix.file));
    }
    std::fputs(text.c_str(), stdout);
    return 0;
}

}  // namespace cli
