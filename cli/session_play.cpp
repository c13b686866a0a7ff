// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_play.h"

#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "cli/device_failure.h"
#include "cli/session_mix.h"
#include "cli/session_player.h"
#include "cli/session_source.h"
#include "cli/session_status.h"
#include "cli/stop_signal.h"
#include "platform/system.h"
#include "session/clock.h"
#include "session/timeline.h"

namespace cli {

int RunSessionPlay(const SessionPlayOptions& options) {
    const std::optional<session::Session> session = LoadSession(options.source);
    if (!session) {
        return 2;
    }
    const int rate = session::RateInUse(*session);
    const OpenedMix mix = OpenSessionMix(*session, rate);
    if (!mix.ok) {
        return 2;
    }
    const session::Timeline timeline = session::BuildTimeline(*session, rate);
    // --from counts on from where -T starts the session.
    const std::int64_t from = timeline.start + session::FramesOfMs(options.fromMs, rate);
    if (timeline.end != session::kEndless && from >= timeline.end) {
        std::fprintf(stderr, "tovin-cli: --from: the session ends at %s\n",
                     session::FormatFrames(timeline.end, rate, session::ClockStyle::Exact).c_str());
        return 2;
    }
    std::int64_t end = timeline.end;
    if (options.seconds) {
        end =
            std::min<std::int64_t>(end, from + static_cast<std::int64_t>(*options.seconds) * rate);
    }
    for (const std::string& line : session->descriptions) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);

    const bool live = plat::IsTerminal(1);
    SessionPlayer player(
        timeline, from, end, options.volume, mix.file.get(), [&](std::int64_t frame) {
            if (live) {
                std::printf("\r%s\x1b[K", StatusLine(*session, timeline, frame).c_str());
                std::fflush(stdout);
            }
        });
    if (!player.Open()) {
        plat::MessageBeep(plat::MB_ICONEXCLAMATION);
        ReportDeviceFailure("Error opening waveform audio device!");  // and the device's reason
        return 1;
    }
    StopSignal stop([&player] { player.Stop(); });
    QCoreApplication::exec();
    if (live) {
        std::printf("\n");
    }
    return 0;
}

}  // namespace cli
