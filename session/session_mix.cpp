// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_mix.h"

#include "session/clock.h"
#include "session/mix_ahead.h"
#include "session/printable.h"
#include "session/source_text.h"

namespace session {
namespace {

std::string shown(const std::string& name) {
    return Printable(Quoted(name));
}

}  // namespace

OpenedMix OpenSessionMix(const Session& session, int rate) {
    OpenedMix opened;
    if (session.mixFile.empty()) {
        return opened;
    }
    std::string reason;
    opened.file = OpenMix(session.mixFile, rate, reason);
    if (!opened.file) {
        const bool fromFile = session.mixLine > 0;
        std::string message = "cannot read the mix file " + shown(session.mixFile) + ": " + reason;
        const std::string where = fromFile
                                      ? session.source + ":" + std::to_string(session.mixLine) +
                                            ":" + std::to_string(session.mixColumn) + ": -m"
                                      : "--mix";
        opened.problem = Problem{fromFile ? session.mixLine : 0, fromFile ? session.mixColumn : 0,
                                 message, where + ": " + message};
    }
    return opened;
}

std::string DescribeMix(const Session& session, const MixStream& mix) {
    const MixInfo& info = mix.Info();
    return "  mix file " + shown(session.mixFile) + ": " + info.format + ", " +
           std::to_string(info.fileRate) + " Hz, " + (info.channels == 1 ? "mono, " : "stereo, ") +
           FormatFrames(info.fileFrames, info.fileRate, ClockStyle::Exact) + ", looped\n";
}

}  // namespace session
