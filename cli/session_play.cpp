// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_play.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/device_failure.h"
#include "cli/session_source.h"
#include "cli/session_status.h"
#include "cli/stop_signal.h"
#include "cli/terminal_keys.h"
#include "platform/system.h"
#include "player/session_player.h"
#include "session/clock.h"
#include "session/timeline.h"

namespace cli {

int RunSessionPlay(const SessionPlayOptions& options) {
    const std::optional<session::Session> session = LoadSession(options.source);
    if (!session) {
        return 2;
    }
    const int rate = session::RateInUse(*session);
    const session::OpenedMix mix = OpenMixOrSay(*session, rate);
    if (mix.problem) {
        return 2;
    }
    // The player opens its own mix stream for each synthesis; `mix` only proved it opens.
    const std::shared_ptr<const player::PlayItem> item = player::MakePlayItem(*session, rate);
    const session::Timeline& timeline = item->timeline;
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
    int volume = options.volume;
    std::optional<player::SessionPlayer> player;
    bool waiting = false;
    const auto show = [&](const player::PlayerState& state) {
        std::string line =
            StatusLine(player->Item()->session, player->Item()->timeline, state.position);
        line += state.paused ? "  paused" : "";
        line += state.waiting ? "  waiting for the sound device" : "";
        line += volume != 100 ? "  volume " + std::to_string(volume) : "";
        std::printf("\r%s\x1b[K", line.c_str());
        std::fflush(stdout);
    };
    player.emplace(item, [&](const player::PlayerState& state) {
        if (state.ended) {
            QCoreApplication::quit();
        } else if (live) {
            show(state);
        } else if (state.waiting != waiting) {
            // No status line to carry it: say it once each way, on the error stream.
            std::fprintf(stderr, state.waiting ? "tovin-cli: waiting for the sound device\n"
                                               : "tovin-cli: the sound device is back\n");
        }
        waiting = state.waiting;
    });
    player->SetVolume(volume);
    if (!player->Play(from, end)) {
        plat::MessageBeep(plat::MB_ICONEXCLAMATION);
        ReportDeviceFailure("Error opening waveform audio device!");  // and the device's reason
        return 1;
    }
    StopSignal stop([&player] { player->Stop(); });
    // Keys on a terminal: a seek stays within what this play was asked to play.
    TerminalKeys keys([&](const KeyPress& press) {
        const player::PlayerState state = player->State();
        switch (press.key) {
            case Key::PauseResume:
                state.paused ? player->Resume() : player->Pause();
                break;
            case Key::Forward:
            case Key::Back: {
                const std::int64_t step = static_cast<std::int64_t>(press.seconds) * rate;
                std::int64_t to = state.position + (press.key == Key::Forward ? step : -step);
                to = std::max<std::int64_t>(0, to);
                if (end != session::kEndless) {
                    to = std::min(to, end - 1);
                }
                player->Seek(to);
                break;
            }
            case Key::VolumeUp:
            case Key::VolumeDown:
                volume = std::clamp(volume + (press.key == Key::VolumeUp ? 5 : -5), 0, 100);
                player->SetVolume(volume);
                break;
            case Key::Quit:
                player->Stop();
                break;
        }
        if (live) {
            show(player->State());
        }
    });
    QCoreApplication::exec();
    if (live) {
        std::printf("\n");
    }
    return 0;
}

}  // namespace cli
