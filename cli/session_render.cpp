// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_render.h"

#include <csignal>
#include <cstdio>
#include <optional>

#include "cli/progress_bar.h"
#include "cli/session_source.h"
#include "platform/system.h"
#include "session/clock.h"
#include "session/file_format.h"
#include "session/render_plan.h"
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
        case Status::Cancelled:  // tovin-cli never sets the flag
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
    session::RenderRequest request;
    request.path = options.path;
    request.rate = options.rate;
    request.lengthMs = options.lengthMs;
    request.bits = options.bits;
    request.seed = options.seed;
    session::RenderPlan plan = session::PlanRender(*session, request);
    const std::string shown = Printable(options.path);
    using Failure = session::RenderPlan::Failure;
    switch (plan.failure) {
        case Failure::None:
            break;
        case Failure::UnknownFormat:
            std::fprintf(stderr, "tovin-cli: -o: expected a %s file, got %s\n",
                         session::kFormatExtensions, shown.c_str());
            return 2;
        case Failure::OpusRate:
            std::fprintf(stderr,
                         "tovin-cli: --rate: Opus takes 8000, 12000, 16000, 24000 or 48000 Hz, "
                         "got %d\n",
                         plan.rate);
            return 2;
        case Failure::VoiceTooHigh:
        case Failure::MixUnreadable:
            PrintProblems(plan.problems);
            return 2;
        case Failure::Endless:
            std::fprintf(stderr,
                         "tovin-cli: the session plays without end (no -E): give its length with "
                         "--length hh:mm:ss\n");
            return 2;
    }
    session::FileRenderJob& job = plan.job;
    const std::int64_t frames = job.frames;
    const int rate = plan.rate;
    std::optional<ProgressBar> bar;
    if (plat::IsTerminal(1)) {
        bar.emplace(shown, frames, rate);
        bar->Show(0);
        job.progress = [&bar](std::int64_t done) { bar->Show(done); };
    }
    const session::FileRenderResult result = session::WriteSoundFile(plan.timeline, job);
    if (bar) {
        bar->Finish();
    }
    return report(result, shown, rate);
}

}  // namespace cli
