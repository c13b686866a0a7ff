// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/checkpoint_maker.h"

#include <algorithm>

namespace player {
namespace {

// How far the helper moves between two looks at m_quit and two hand-overs: a quarter of a
// checkpoint spacing, a few milliseconds of work, so that stopping it never holds up the
// thread that replaces or ends what plays.
constexpr std::int64_t kStep = session::Synth::kCheckpointSpacing / 4;

// Where the walk ends: the timeline's end, or for an endless one some way into its last
// span (which only goes on as it began), rather than never.
std::int64_t walkEnd(const session::Timeline& t) {
    if (t.end != session::kEndless) {
        return t.end;
    }
    const std::int64_t last = t.spans.empty() ? 0 : t.spans.back().begin;
    return last + 16 * session::Synth::kCheckpointSpacing;
}

}  // namespace

CheckpointMaker::CheckpointMaker(std::shared_ptr<const PlayItem> item) : m_item(std::move(item)) {
    if (walkEnd(m_item->timeline) > session::Synth::kCheckpointSpacing) {
        m_thread = std::thread([this] { run(); });
    } else {
        m_done.store(true);
    }
}

CheckpointMaker::~CheckpointMaker() {
    m_quit.store(true);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CheckpointMaker::HandTo(session::Synth& synth) {
    std::vector<session::CheckpointBatch> made;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        made.swap(m_made);
    }
    for (session::CheckpointBatch& batch : made) {
        synth.AddCheckpoints(std::move(batch));
    }
}

std::int64_t CheckpointMaker::Reached() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reached;
}

void CheckpointMaker::WaitFor(std::int64_t frame) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_moved.wait(lock, [&] { return m_reached >= frame || m_done.load(); });
}

void CheckpointMaker::run() {
    // Without the mix file: it plays no part in a checkpoint, and seeking never reads it.
    session::Synth synth(m_item->timeline, m_item->seed, session::kPcm16);
    const std::int64_t end = walkEnd(m_item->timeline);
    for (std::int64_t at = kStep; !m_quit.load(); at = std::min(at + kStep, end)) {
        synth.Seek(at);
        session::CheckpointBatch batch = synth.TakeCheckpoints();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (batch.Size() > 0) {
                m_made.push_back(std::move(batch));
            }
            m_reached = at;
        }
        m_moved.notify_all();
        if (at >= end) {
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done.store(true);
    }
    m_moved.notify_all();
}

}  // namespace player
