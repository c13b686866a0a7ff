// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_render.h"

#include <csignal>
#include <cstdio>
#include <optional>

#include "cli/progress_bar.h"
#include "cli/session_mix.h"
#include "cli/session_source.h"
#include "platform/system.h"
#include "session/clock.h"
#include "session/file_render.h"
#include "session/timeline.h"

namespace cli {
namespace {

int report(const session::FileRenderResult& result, const std::string& shown, int rate) {
    using Status = session::FileRenderResult::Status;
    const std::string reason = result.fault.Reason();
    switch (result.status) {
        case Status::Complete:
            return 0;
        case Status::CannotCreate:
            std::fprintf(stderr, "tovin-cli: cannot create %s: %s\n", shown.c_str(),
                         reason.c_str());
            return 1;
        case Status::WriteFailed:
            break;
    }
    if (result.framesStated) {
        std::fprintf(
            stderr, "tovin-cli: writing %s failed after %s of sound: %s\n", shown.c_str(),
            session::FormatFrames(*result.framesStated, rate, session::ClockStyle::Exact).c_str(),
            reason.c_str());
    } else {
        std::fprintf(stderr, "tovin-cli: writing %s failed part way, the file ends there: %s\n",
                     shown.c_str(), reason.c_str());
    }
    return 1;
}

}  // namespace

int RunSessionRender(const SessionRenderOptions& options) {
#ifdef SIGXFSZ
    // Past a file-size limit the write fails and is reported, instead of the signal ending
    // the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::optional<session::Session> session = LoadSession(options.source);
    if (!session) {
        return 2;
    }
    const std::optional<session::FileFormat> format = session::FormatOfPath(options.path);
    const std::string shown = Printable(options.path);
    if (!format) {
        std::fprintf(stderr, "tovin-cli: -o: expected a %s file, got %s\n",
                     session::kFormatExtensions, shown.c_str());
        return 2;
    }
    int rate = session::RateInUse(*session, options.rate);
    if (*format == session::FileFormat::Opus && !session::OpusTakes(rate)) {
        if (options.rate) {
            std::fprintf(stderr,
                         "tovin-cli: --rate: Opus takes 8000, 12000, 16000, 24000 or 48000 Hz, "
                         "got %d\n",
                         rate);
            return 2;
        }
        rate = 48000;
    }
    if (!FitsRate(*session, rate)) {
        return 2;
    }
    const OpenedMix mix = OpenSessionMix(*session, rate);
    if (!mix.ok) {
        return 2;
    }
    const session::Timeline timeline = session::BuildTimeline(*session, rate);
    // -T within the session starts the file there; the length counts from there too.
    std::int64_t frames =
        timeline.end == session::kEndless ? timeline.end : timeline.end - timeline.start;
    if (options.lengthMs) {
        frames = session::FramesOfMs(*options.lengthMs, rate);
    } else if (timeline.end == session::kEndless) {
        std::fprintf(stderr,
                     "tovin-cli: the session plays without end (no -E): give its length with "
                     "--length hh:mm:ss\n");
        return 2;
    }

    session::FileRenderJob job;
    job.path = options.path;
    job.format = *format;
    job.bits = options.bits;
    job.seed = options.seed;
    job.frames = frames;
    job.from = timeline.start;
    job.mix = mix.file.get();
    std::optional<ProgressBar> bar;
    if (plat::IsTerminal(1)) {
        bar.emplace(shown, frames, rate);
        bar->Show(0);
        job.progress = [&bar](std::int64_t done) { bar->Show(done); };
    }
    const session::FileRenderResult result = session::WriteSoundFile(timeline, job);
    if (bar) {
        bar->Finish();
    }
    return report(result, shown, rate);
}

}  // namespace cli
