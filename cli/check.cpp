// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/check.h"

#include <cstdio>

#include "session/clock.h"
#include "session/describe.h"
#include "session/reader.h"
#include "session/timeline.h"

namespace cli {

int RunCheck(const CheckOptions& options) {
    const session::ReadResult read = session::ReadSessionFile(options.file);
    if (!read.session) {
        // The first line of each error carries the program's name; the line and the caret
        // under it follow as they are.
        for (const std::string& error : read.errors) {
            std::fprintf(stderr, "tovin-cli: %s\n", error.c_str());
        }
        return 2;
    }
    // Positions at the rate a render uses by default, so that every time shown is a sample.
    const int rate = session::RateInUse(*read.session);
    const session::Timeline timeline = session::BuildTimeline(*read.session, rate);
    std::fputs(session::Describe(*read.session, timeline).c_str(), stdout);
    return 0;
}

}  // namespace cli
