// SPDX-License-Identifier: GPL-3.0-or-later
// What a render of a session needs before it starts, worked out once for every front end
// (tovin-cli render and the session window's export), so that both write the same bytes.
// A failure is carried as a value; each front end words it for its own user.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/file_render.h"
#include "session/reader.h"
#include "session/session.h"
#include "session/timeline.h"

namespace session {

struct RenderRequest {
    std::string path;         // its extension chooses the format
    std::optional<int> rate;  // over the file's -r
    std::optional<std::int64_t>
        lengthMs;  // from where the session starts (-T); needed when endless
    int bits = 16;
    std::uint64_t seed = 0;
};

struct RenderPlan {
    enum class Failure {
        None,
        UnknownFormat,  // the path's extension is none of kFormatExtensions
        OpusRate,       // a rate was asked for that Opus does not take
        VoiceTooHigh,   // a voice cannot sound at the rate: `problems` says which
        MixUnreadable,  // `problems` holds the mix file's
        Endless,        // the session plays without end and no length was given
    };
    Failure failure = Failure::None;
    std::vector<Problem> problems;
    int rate = 44100;
    Timeline timeline;
    std::unique_ptr<MixStream> mix;
    FileRenderJob job;  // everything but `progress` and `cancel`; `job.mix` is `mix`
};

RenderPlan PlanRender(const Session& session, const RenderRequest& request);

}  // namespace session
