// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_source.h"

#include <cstdio>
#include <string>
#include <vector>

#include "session/rate_check.h"
#include "session/reader.h"

namespace cli {
namespace {

void printErrors(const std::vector<std::string>& errors) {
    for (const std::string& error : errors) {
        std::fprintf(stderr, "tovin-cli: %s\n", error.c_str());
    }
}

}  // namespace

std::optional<session::Session> LoadSession(const SessionSource& source) {
    session::ReadResult read = source.file
                                   ? session::ReadSessionFile(*source.file, source.mix)
                                   : session::ReadTones(source.tones.value_or(""), source.mix);
    if (!read.session) {
        printErrors(read.errors);
        return std::nullopt;
    }
    return std::move(read.session);
}

bool FitsRate(const session::Session& session, int rate) {
    const std::vector<std::string> errors = session::CheckRate(session, rate);
    printErrors(errors);
    return errors.empty();
}

}  // namespace cli
