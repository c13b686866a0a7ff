// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/mix_ahead.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace session {
namespace {

// The frames from `base` on are cut into pieces of `m_piece` frames; piece k goes to slot
// k mod (slots), and a slot is filled again only once the synthesis has taken it. So at
// most `slots` pieces are held, whatever the file's length.
class AheadMix final : public MixStream {
  public:
    AheadMix(std::unique_ptr<MixStream> first, std::function<std::unique_ptr<MixStream>()> another,
             int threads, std::size_t pieceFrames)
        : m_info(first->Info()),
          m_another(std::move(another)),
          m_threads(std::max(1, threads)),
          m_piece(std::max<std::size_t>(1, pieceFrames)) {
        m_streams.push_back(std::move(first));
    }

    ~AheadMix() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& t : m_workers) {
            t.join();
        }
    }

    const MixInfo& Info() const override { return m_info; }

    void Seek(std::int64_t frame) override {
        start();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_generation;
            m_base = frame;
            m_next = 0;
            for (Slot& s : m_slots) {
                if (s.state == State::Ready) {
                    s.state = State::Free;
                }
            }
        }
        m_want = 0;
        m_offset = 0;
        m_changed.notify_all();
    }

    void Read(double* stereo, std::size_t frames) override {
        start();
        while (frames > 0) {
            Slot& slot = m_slots[m_want % m_slots.size()];
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_ready.wait(lock, [&] {
                    return slot.state == State::Ready && slot.piece == m_want &&
                           slot.generation == m_generation;
                });
            }
            // A ready slot is this thread's until it is handed back below.
            const std::size_t n = std::min(frames, m_piece - m_offset);
            std::copy_n(slot.frames.data() + 2 * m_offset, 2 * n, stereo);
            stereo += 2 * n;
            frames -= n;
            m_offset += n;
            if (m_offset == m_piece) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    slot.state = State::Free;
                }
                m_changed.notify_all();
                ++m_want;
                m_offset = 0;
            }
        }
    }

  private:
    enum class State { Free, Filling, Ready };

    struct Slot {
        std::vector<double> frames;
        State state = State::Free;
        std::int64_t piece = 0;
        std::uint64_t generation = 0;
    };

    // The threads start with the first Read or Seek.
    void start() {
        if (!m_workers.empty()) {
            return;
        }
        while (static_cast<int>(m_streams.size()) < m_threads) {
            std::unique_ptr<MixStream> more = m_another ? m_another() : nullptr;
            if (!more) {
                break;
            }
            m_streams.push_back(std::move(more));
        }
        // Two pieces a thread: one being filled while the synthesis takes the other.
        m_slots.resize(2 * m_streams.size());
        for (Slot& s : m_slots) {
            s.frames.resize(2 * m_piece);
        }
        for (std::size_t i = 0; i < m_streams.size(); ++i) {
            // The first stream has read nothing yet: it stands at frame 0.
            const std::int64_t at = i == 0 ? 0 : -1;
            m_workers.emplace_back([this, i, at] { work(*m_streams[i], at); });
        }
    }

    // One decoding thread: it takes the next piece whose slot is free, seeks when the piece
    // does not follow what it read last, and fills the slot outside the lock. A piece
    // finished after a Seek is dropped.
    void work(MixStream& stream, std::int64_t at) {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] { return m_stop || slotOf(m_next).state == State::Free; });
            if (m_stop) {
                return;
            }
            Slot& slot = slotOf(m_next);
            slot.state = State::Filling;
            slot.piece = m_next;
            slot.generation = m_generation;
            const std::int64_t first = m_base + m_next * static_cast<std::int64_t>(m_piece);
            ++m_next;
            lock.unlock();
            if (first != at) {
                stream.Seek(first);
            }
            stream.Read(slot.frames.data(), m_piece);
            at = first + static_cast<std::int64_t>(m_piece);
            lock.lock();
            slot.state = slot.generation == m_generation ? State::Ready : State::Free;
            m_ready.notify_all();
            m_changed.notify_all();
        }
    }

    Slot& slotOf(std::int64_t piece) {
        return m_slots[static_cast<std::size_t>(piece) % m_slots.size()];
    }

    const MixInfo m_info;
    const std::function<std::unique_ptr<MixStream>()> m_another;
    const int m_threads;
    const std::size_t m_piece;
    std::vector<std::unique_ptr<MixStream>> m_streams;  // one for each thread
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_workers;

    std::mutex m_mutex;
    std::condition_variable m_changed;  // a slot freed, a Seek, or the end: for the threads
    std::condition_variable m_ready;    // a slot filled: for the synthesis
    // Under m_mutex: where piece 0 starts, the next piece to fill, and the Seek it is for.
    std::int64_t m_base = 0;
    std::int64_t m_next = 0;
    std::uint64_t m_generation = 0;
    bool m_stop = false;

    // The synthesis thread's own: the piece it takes next and how far into it it is.
    std::int64_t m_want = 0;
    std::size_t m_offset = 0;
};

}  // namespace

std::unique_ptr<MixStream> OpenMix(const std::string& path, int rate, std::string& error) {
    std::unique_ptr<MixStream> mix = OpenMixFile(path, rate, error);
    if (!mix) {
        return nullptr;
    }
    const int threads =
        mix->Info().fileRate != rate
            ? 1
            : std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    auto another = [path, rate]() {
        std::string ignored;
        return OpenMixFile(path, rate, ignored);
    };
    return ReadAhead(std::move(mix), another, threads);
}

std::unique_ptr<MixStream> ReadAhead(std::unique_ptr<MixStream> first,
                                     std::function<std::unique_ptr<MixStream>()> another,
                                     int threads, std::size_t pieceFrames) {
    return std::make_unique<AheadMix>(std::move(first), std::move(another), threads, pieceFrames);
}

}  // namespace session
