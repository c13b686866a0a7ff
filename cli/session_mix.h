// SPDX-License-Identifier: GPL-3.0-or-later
// The mix file of a session, opened for a command at the rate it plays or renders at.
#pragma once

#include <memory>
#include <string>

#include "session/mix_file.h"
#include "session/session.h"

namespace cli {

struct OpenedMix {
    bool ok = true;                            // false: it was asked for and cannot be read
    std::unique_ptr<session::MixStream> file;  // null without a mix file
};

// Opens the session's mix file, if it has one. When it cannot be opened or decoded, prints
// one line naming where it was asked for (the -m option's line and column, or --mix), the
// file and the library's reason.
OpenedMix OpenSessionMix(const session::Session& session, int rate);

// "  mix file NAME: FORMAT, RATE Hz, LENGTH": what check says of it.
std::string DescribeMix(const session::Session& session, const session::MixStream& mix);

}  // namespace cli
