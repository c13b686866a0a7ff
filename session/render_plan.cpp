// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/render_plan.h"

#include "session/clock.h"
#include "session/file_format.h"
#include "session/rate_check.h"
#include "session/session_mix.h"

namespace session {

RenderPlan PlanRender(const Session& session, const RenderRequest& request) {
    RenderPlan plan;
    const std::optional<FileFormat> format = FormatOfPath(request.path);
    if (!format) {
        plan.failure = RenderPlan::Failure::UnknownFormat;
        return plan;
    }
    plan.rate = RateInUse(session, request.rate);
    if (*format == FileFormat::Opus && !OpusTakes(plan.rate)) {
        if (request.rate) {
            plan.failure = RenderPlan::Failure::OpusRate;
            return plan;
        }
        plan.rate = 48000;
    }
    plan.problems = CheckRate(session, plan.rate);
    if (!plan.problems.empty()) {
        plan.failure = RenderPlan::Failure::VoiceTooHigh;
        return plan;
    }
    OpenedMix mix = OpenSessionMix(session, plan.rate);
    if (mix.problem) {
        plan.problems.push_back(*mix.problem);
        plan.failure = RenderPlan::Failure::MixUnreadable;
        return plan;
    }
    plan.mix = std::move(mix.file);
    plan.timeline = BuildTimeline(session, plan.rate);
    const Timeline& timeline = plan.timeline;
    // -T within the session starts the file there; the length counts from there too.
    std::int64_t frames = timeline.end == kEndless ? kEndless : timeline.end - timeline.start;
    if (request.lengthMs) {
        frames = FramesOfMs(*request.lengthMs, plan.rate);
    } else if (timeline.end == kEndless) {
        plan.failure = RenderPlan::Failure::Endless;
        return plan;
    }
    plan.job.path = request.path;
    plan.job.format = *format;
    plan.job.bits = request.bits;
    plan.job.seed = request.seed;
    plan.job.frames = frames;
    plan.job.from = timeline.start;
    plan.job.mix = plan.mix.get();
    return plan;
}

}  // namespace session
