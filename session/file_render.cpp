// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/file_render.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "session/synth.h"
#include "session/synth_block.h"

namespace session {
namespace {

// The synthesis thread moves the voices on (their phases and noise, which go one sample
// after another) a block of 8192 frames ahead; this thread mixes each block and writes
// four at a time. Four blocks in turn keep memory the same however long the render.
constexpr int kBlockFrames = 8192;
constexpr int kSlots = 4;
constexpr int kBlocksPerWrite = 4;

bool cancelled(const FileRenderJob& job) {
    return job.cancel != nullptr && job.cancel->load(std::memory_order_relaxed);
}

template <typename Sample>
bool renderBlocks(const Timeline& timeline, const FileRenderJob& job, const SampleFormat& format,
                  SoundFile& file) {
    std::vector<SynthBlock> slots(kSlots);
    std::vector<Sample> out(static_cast<std::size_t>(kBlocksPerWrite) * 2 * kBlockFrames);
    const std::int64_t blocks = (job.frames + kBlockFrames - 1) / kBlockFrames;
    auto framesOf = [&](std::int64_t block) {
        return static_cast<int>(
            std::min<std::int64_t>(kBlockFrames, job.frames - block * kBlockFrames));
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::int64_t made = 0;   // blocks prepared
    std::int64_t taken = 0;  // blocks mixed
    bool stop = false;       // a write failed: no more blocks are wanted

    Synth synth(timeline, job.seed, format, Synth::Method::Fast, job.mix);
    synth.Seek(job.from);
    std::thread maker([&] {
        for (std::int64_t b = 0; b < blocks; ++b) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return stop || b - taken < kSlots; });
                if (stop) {
                    return;
                }
            }
            synth.Prepare(slots[b % kSlots], framesOf(b));
            {
                std::lock_guard<std::mutex> lock(mutex);
                made = b + 1;
            }
            changed.notify_all();
        }
    });

    bool ok = true;
    int pending = 0;  // frames mixed into `out`, not yet written
    for (std::int64_t b = 0; b < blocks && ok && !cancelled(job); ++b) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return made > b; });
        }
        Synth::Finish(slots[b % kSlots], &out[2 * static_cast<std::size_t>(pending)]);
        pending += framesOf(b);
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken = b + 1;
        }
        changed.notify_all();
        if ((b + 1) % kBlocksPerWrite == 0 || b + 1 == blocks) {
            ok = file.Write(out.data(), pending);
            pending = 0;
            if (ok && job.progress) {
                job.progress(std::min(job.frames, (b + 1) * kBlockFrames));
            }
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    changed.notify_all();
    maker.join();
    return ok;
}

}  // namespace

FileRenderResult WriteSoundFile(const Timeline& timeline, const FileRenderJob& job) {
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
    if (cancelled(job)) {
        std::remove(job.path.c_str());
        result.status = FileRenderResult::Status::Cancelled;
        return result;
    }
    result.status = written && closed ? FileRenderResult::Status::Complete
                                      : FileRenderResult::Status::WriteFailed;
    result.fault = file.Fault();
    result.framesStated = file.FramesStated();
    return result;
}

}  // namespace session
