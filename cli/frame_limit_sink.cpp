// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/frame_limit_sink.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace cli {
namespace {

class FrameLimitSink : public plat::WaveSink {
  public:
    FrameLimitSink(std::unique_ptr<plat::WaveSink> inner, std::uint64_t seconds,
                   std::function<void()> played)
        : m_inner(std::move(inner)), m_seconds(seconds), m_played(std::move(played)) {}

    bool open(const plat::WAVEFORMATEX& format) override {
        m_frameBytes = format.nBlockAlign == 0 ? 1 : format.nBlockAlign;
        m_left = m_seconds * format.nSamplesPerSec;
        return m_inner->open(format);
    }

    std::string failure() const override { return m_inner->failure(); }

    void write(const Piece& piece, const std::atomic<bool>& abort) override {
        if (m_done) {
            // Nothing more is played; the writer waits here rather than spinning through
            // the blocks the engine goes on queueing until the output is reset.
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return abort.load(); });
            return;
        }
        const std::uint64_t frames = piece.bytes / m_frameBytes;
        Piece part = piece;
        part.bytes = static_cast<std::size_t>(std::min(frames, m_left)) * m_frameBytes;
        m_inner->write(part, abort);
        if (abort.load()) {
            return;  // a reset cut the piece short: it was not all played
        }
        m_left -= part.bytes / m_frameBytes;
        if (m_left == 0) {
            m_done = true;
            m_inner->close();  // drains: returns once the last frame has been heard
            m_played();
        }
    }

    void interrupt() override {
        m_inner->interrupt();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wake.notify_all();
    }

    void discard() override {
        if (!m_done) {
            m_inner->discard();
        }
    }

    void close() override { m_inner->close(); }

  private:
    std::unique_ptr<plat::WaveSink> m_inner;
    const std::uint64_t m_seconds;
    std::uint64_t m_left = 0;  // frames still to play; set by open, then the writer's alone
    std::function<void()> m_played;
    std::size_t m_frameBytes = 4;
    bool m_done = false;  // writer thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

}  // namespace

std::unique_ptr<plat::WaveSink> PlayFor(std::unique_ptr<plat::WaveSink> inner,
                                        std::uint64_t seconds, std::function<void()> played) {
    return std::make_unique<FrameLimitSink>(std::move(inner), seconds, std::move(played));
}

}  // namespace cli
