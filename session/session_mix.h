// SPDX-License-Identifier: GPL-3.0-or-later
// The mix file of a session, opened at the rate it plays or renders at.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "session/mix_file.h"
#include "session/reader.h"
#include "session/session.h"

namespace session {

struct OpenedMix {
    std::unique_ptr<MixStream> file;  // null without a mix file
    // Set when it was asked for and cannot be read: at the -m option's line and column
    // (line 0 for --mix), naming the file and the library's reason.
    std::optional<Problem> problem;
};

// Opens the session's mix file, if it has one.
OpenedMix OpenSessionMix(const Session& session, int rate);

// "  mix file NAME: FORMAT, RATE Hz, LENGTH": what check says of it.
std::string DescribeMix(const Session& session, const MixStream& mix);

}  // namespace session
