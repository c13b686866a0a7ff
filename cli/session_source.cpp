// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_source.h"

#include <cstdio>
#include <string>
#include <vector>

#include "session/rate_check.h"
#include "session/reader.h"

namespace cli {
void PrintProblems(const std::vector<session::Problem>& problems) {
    for (const session::Problem& problem : problems) {
        std::fprintf(stderr, "tovin-cli: %s\n", problem.text.c_str());
    }
}

session::OpenedMix OpenMixOrSay(const session::Session& session, int rate) {
    session::OpenedMix mix = session::OpenSessionMix(session, rate);
    if (mix.problem) {
        PrintProblems({*mix.problem});
    }
    return mix;
}

std::optional<session::Session> LoadSession(const SessionSource& source) {
    session::ReadResult read = source.file
                                   ? session::ReadSessionFile(*source.file, source.mix)
                                   : session::ReadTones(source.tones.value_or(""), source.mix);
    if (!read.session) {
        PrintProblems(read.problems);
        return std::nullopt;
    }
    return std::move(read.session);
}

bool FitsRate(const session::Session& session, int rate) {
    const std::vector<session::Problem> problems = session::CheckRate(session, rate);
    PrintProblems(problems);
    return problems.empty();
}

}  // namespace cli
