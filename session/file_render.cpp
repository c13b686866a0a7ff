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
// after another) in blocks of 8192 frames, up to eight ahead of the file; the rest of each
// block (its sines, spins and mix) can be done anywhere, so whichever thread is free does
// it: this thread between its writes, the synthesis thread when all eight are taken. This
// thread writes the finished blocks in order, as many in one write as lie together. Eight
// blocks in turn keep memory the same however long the render.
constexpr int kBlockFrames = 8192;
constexpr int kSlots = 8;

// Where each block in the slots is on its way to the file.
enum class Stage { Free, Prepared, Finishing, Finished };

bool cancelled(const FileRenderJob& job) {
    return job.cancel != nullptr && job.cancel->load(std::memory_order_relaxed);
}

template <typename Sample>
class BlockRing {
  public:
    BlockRing(const Timeline& timeline, const FileRenderJob& job, const SampleFormat& format)
        : m_job(job),
          m_blocks((job.frames + kBlockFrames - 1) / kBlockFrames),
          m_synth(timeline, job.seed, format, Synth::Method::Fast, job.mix),
          m_slots(kSlots),
          m_stages(kSlots, Stage::Free),
          m_out(static_cast<std::size_t>(kSlots) * 2 * kBlockFrames) {
        m_synth.Seek(job.from);
    }

    // Writes every block to `file` in order; false when a write failed.
    bool Run(SoundFile& file) {
        std::thread maker([this] { make(); });
        bool ok = true;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (ok && m_written < m_blocks && !cancelled(m_job)) {
            if (m_stages[slot(m_written)] == Stage::Finished) {
                // The finished blocks from the next one on, as far as they lie together.
                std::int64_t run = 1;
                while (m_written + run < m_blocks && slot(m_written + run) != 0 &&
                       m_stages[slot(m_written + run)] == Stage::Finished) {
                    ++run;
                }
                const std::int64_t from = m_written;
                const std::int64_t frames =
                    std::min(m_job.frames, (from + run) * kBlockFrames) - from * kBlockFrames;
                lock.unlock();
                ok = file.Write(&m_out[2 * static_cast<std::size_t>(slot(from)) * kBlockFrames],
                                static_cast<int>(frames));
                if (ok && m_job.progress) {
                    m_job.progress(std::min(m_job.frames, (from + run) * kBlockFrames));
                }
                lock.lock();
                for (std::int64_t b = from; b < from + run; ++b) {
                    m_stages[slot(b)] = Stage::Free;
                }
                m_written = from + run;
                m_changed.notify_all();
            } else if (!finishOne(lock)) {
                m_changed.wait(lock);
            }
        }
        m_stop = true;
        m_changed.notify_all();
        lock.unlock();
        maker.join();
        return ok;
    }

  private:
    static int slot(std::int64_t block) { return static_cast<int>(block % kSlots); }

    int framesOf(std::int64_t block) const {
        return static_cast<int>(
            std::min<std::int64_t>(kBlockFrames, m_job.frames - block * kBlockFrames));
    }

    // Prepares the blocks in order while there is a free slot, and finishes one while
    // there is none; ends once every block is prepared and none is left to finish.
    void make() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (m_made < m_blocks && m_made - m_written < kSlots) {
                const std::int64_t b = m_made;
                lock.unlock();
                m_synth.Prepare(m_slots[slot(b)], framesOf(b));
                lock.lock();
                m_stages[slot(b)] = Stage::Prepared;
                m_made = b + 1;
                m_changed.notify_all();
            } else if (!finishOne(lock) && !m_stop) {
                if (m_made == m_blocks) {
                    return;
                }
                m_changed.wait(lock);
            }
        }
    }

    // Finishes the earliest prepared block, if there is one, with the lock let go
    // meanwhile; false when there was none.
    bool finishOne(std::unique_lock<std::mutex>& lock) {
        for (std::int64_t b = m_written; b < m_made; ++b) {
            Stage& stage = m_stages[slot(b)];
            if (stage == Stage::Prepared) {
                stage = Stage::Finishing;
                lock.unlock();
                Synth::Finish(m_slots[slot(b)],
                              &m_out[2 * static_cast<std::size_t>(slot(b)) * kBlockFrames]);
                lock.lock();
                stage = Stage::Finished;
                m_changed.notify_all();
                return true;
            }
        }
        return false;
    }

    const FileRenderJob& m_job;
    const std::int64_t m_blocks;
    Synth m_synth;  // the synthesis thread's alone
    std::vector<SynthBlock> m_slots;
    std::vector<Stage> m_stages;  // each slot's, under the lock
    std::vector<Sample> m_out;    // each slot's finished frames

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::int64_t m_made = 0;     // blocks prepared
    std::int64_t m_written = 0;  // blocks in the file
    bool m_stop = false;         // written, or a write failed: nothing more is wanted
};

template <typename Sample>
bool renderBlocks(const Timeline& timeline, const FileRenderJob& job, const SampleFormat& format,
                  SoundFile& file) {
    BlockRing<Sample> ring(timeline, job, format);
    return ring.Run(file);
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
