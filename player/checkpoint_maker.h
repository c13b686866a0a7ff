// SPDX-License-Identifier: GPL-3.0-or-later
// Makes a playing item's checkpoints ahead of any seek, on a thread of its own: a synthesis
// of the same item moves through the whole timeline (some 1.4 s of one core an hour of
// session with a spin, far less without) and hands each checkpoint over as it passes it, so
// that soon after the start a seek anywhere moves on over less than one checkpoint spacing
// instead of over everything before its target. The player's synthesis takes them when it
// next asks (HandTo), on its own thread; the helper keeps none itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "player/play_item.h"
#include "session/synth.h"

namespace player {

class CheckpointMaker {
  public:
    // Starts at once; nothing is made for a timeline shorter than one spacing.
    explicit CheckpointMaker(std::shared_ptr<const PlayItem> item);
    // Stops the helper within one step of its walk (a few milliseconds).
    ~CheckpointMaker();
    CheckpointMaker(const CheckpointMaker&) = delete;
    CheckpointMaker& operator=(const CheckpointMaker&) = delete;

    // Gives `synth` (a synthesis of the same item) the checkpoints made since the last call.
    void HandTo(session::Synth& synth);

    // True once the helper has walked the whole timeline (or was stopped).
    bool Done() const { return m_done.load(); }
    // The frame its walk has reached: every checkpoint before it has been made.
    std::int64_t Reached() const;
    // Waits until the walk has reached `frame`, or is done.
    void WaitFor(std::int64_t frame);

  private:
    void run();

    const std::shared_ptr<const PlayItem> m_item;
    mutable std::mutex m_mutex;
    std::condition_variable m_moved;
    std::vector<session::CheckpointBatch> m_made;  // guarded by m_mutex
    std::int64_t m_reached = 0;                    // guarded by m_mutex
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

}  // namespace player
