// SPDX-License-Identifier: GPL-3.0-or-later
// A timeline rendered to a sound file: the synthesis runs on a thread of its own while the
// calling thread writes what it has made, in large blocks; the two share the mixing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "session/mix_file.h"
#include "session/sound_file.h"
#include "session/timeline.h"

namespace session {

struct FileRenderJob {
    std::string path;
    FileFormat format = FileFormat::Wav;
    int bits = 16;  // 16 or 24
    std::uint64_t seed = 0;
    std::int64_t frames = 0;  // exactly this many, silence after the timeline's end
    // Called on the calling thread after each block is in the file, with the frames
    // written so far.
    std::function<void(std::int64_t)> progress;
    std::int64_t from = 0;     // the timeline's frame the file starts with (-T)
    MixStream* mix = nullptr;  // the session's mix file at the timeline's rate, if any
    // Read between writes: once it is set, the render stops and the file is removed.
    const std::atomic<bool>* cancel = nullptr;
};

// How a render went, the failure carried with its cause.
struct FileRenderResult {
    enum class Status {
        Complete,      // every frame is in the file and the file is closed
        CannotCreate,  // the file could not be created; nothing was written
        WriteFailed,   // a write failed: the file holds what came before, and says so
        Cancelled,     // the job's cancel flag was set: the file is removed
    };
    Status status = Status::Complete;
    FileFault fault;
    // The frames the file's header states, where its format states them (WAV).
    std::optional<std::int64_t> framesStated;
};

FileRenderResult WriteSoundFile(const Timeline& timeline, const FileRenderJob& job);

}  // namespace session
