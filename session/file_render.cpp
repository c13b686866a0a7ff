#include "session/file_render.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "session/synth.h"

namespace session {
namespace {

// Blocks of 32768 frames, four of them in turn: the synthesis fills one while the file
// takes another, and memory stays the same however long the render.
constexpr int kBlockFrames = 32768;
constexpr int kSlots = 4;

template <typename Sample>
bool renderBlocks(const Timeline& timeline, const FileRenderJob& job, const SampleFormat& format,
                  SoundFile& file) {
    std::vector<Sample> slots(static_cast<std::size_t>(kSlots) * 2 * kBlockFrames);
    auto slot = [&](std::int64_t block) { return &slots[(block % kSlots) * 2 * kBlockFrames]; };
    const std::int64_t blocks = (job.frames + kBlockFrames - 1) / kBlockFrames;
    auto framesOf = [&](std::int64_t block) {
        return static_cast<int>(
            std::min<std::int64_t>(kBlockFrames, job.frames - block * kBlockFrames));
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::int64_t made = 0;   // blocks the synthesis has finished
    std::int64_t taken = 0;  // blocks the file has taken
    bool stop = false;       // a write failed: no more blocks are wanted

    std::thread maker([&] {
        Synth synth(timeline, job.seed, format);
        for (std::int64_t b = 0; b < blocks; ++b) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return stop || b - taken < kSlots; });
                if (stop) {
                    return;
                }
            }
            synth.Render(slot(b), framesOf(b));
            {
                std::lock_guard<std::mutex> lock(mutex);
                made = b + 1;
            }
            changed.notify_all();
        }
    });

    bool ok = true;
    for (std::int64_t b = 0; b < blocks && ok; ++b) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return made > b; });
        }
        ok = file.Write(slot(b), framesOf(b));
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken = b + 1;
            stop = !ok;
        }
        changed.notify_all();
        if (ok && job.progress) {
            job.progress(std::min(job.frames, (b + 1) * kBlockFrames));
        }
    }
    maker.join();
    return ok;
}

}  // namespace

FileRenderResult RenderToFile(const Timeline& timeline, const FileRenderJob& job) {
    FileRenderResult result;
    CreatedFile created =
        CreateSoundFile(job.path, job.format, timeline.rate, job.bits, job.frames);
    if (created.file == nullptr) {
        result.fault = created.fault;
        if (created.writeFailed) {
            result.status = FileRenderResult::Status::WriteFailed;
            result.framesStated = 0;
        } else {
            result.status = FileRenderResult::Status::CannotCreate;
        }
        return result;
    }
    SoundFile& file = *created.file;
    const bool written = job.bits == 24 ? renderBlocks<std::int32_t>(timeline, job, kPcm24, file)
                                        : renderBlocks<std::int16_t>(timeline, job, kPcm16, file);
    const bool closed = file.Close();
    result.status = written && closed ? FileRenderResult::Status::Complete
                                      : FileRenderResult::Status::WriteFailed;
    result.fault = file.Fault();
    result.framesStated = file.FramesStated();
    return result;
}

}  // namespace session
