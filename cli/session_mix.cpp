// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_mix.h"

#include <cstdio>

#include "cli/option_values.h"
#include "session/clock.h"

namespace cli {

OpenedMix OpenSessionMix(const session::Session& session, int rate) {
    OpenedMix opened;
    if (session.mixFile.empty()) {
        return opened;
    }
    std::string reason;
    opened.file = session::OpenMix(session.mixFile, rate, reason);
    if (!opened.file) {
        opened.ok = false;
        const std::string where = session.mixLine > 0
                                      ? session.source + ":" + std::to_string(session.mixLine) +
                                            ":" + std::to_string(session.mixColumn) + ": -m"
                                      : "--mix";
        std::fprintf(stderr, "tovin-cli: %s: cannot read the mix file %s: %s\n", where.c_str(),
                     Shown(session.mixFile).c_str(), reason.c_str());
    }
    return opened;
}

std::string DescribeMix(const session::Session& session, const session::MixStream& mix) {
    const session::MixInfo& info = mix.Info();
    return "  mix file " + Shown(session.mixFile) + ": " + info.format + ", " +
           std::to_string(info.fileRate) + " Hz, " + (info.channels == 1 ? "mono, " : "stereo, ") +
           session::FormatFrames(info.fileFrames, info.fileRate, session::ClockStyle::Exact) +
           ", looped\n";
}

}  // namespace cli
