// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/play_item.h"

#include "player/checkpoint_maker.h"
#include "session/mix_ahead.h"

namespace player {

std::shared_ptr<const PlayItem> MakePlayItem(session::Session session, int rate,
                                             std::uint64_t seed) {
    auto item = std::make_shared<PlayItem>();
    item->timeline = session::BuildTimeline(session, rate);
    if (!session.mixFile.empty()) {
        item->openMix = [path = session.mixFile, rate] {
            std::string reason;
            return session::OpenMix(path, rate, reason);
        };
    }
    item->session = std::move(session);
    item->seed = seed;
    return item;
}

ItemSound::ItemSound(std::shared_ptr<const PlayItem> item, std::int64_t frame)
    : m_item(std::move(item)),
      m_mix(m_item->openMix ? m_item->openMix() : nullptr),
      m_synth(m_item->timeline, m_item->seed, session::kPcm16, session::Synth::Method::Fast,
              m_mix.get()) {
    m_synth.Seek(frame);
    m_maker = std::make_unique<CheckpointMaker>(m_item);
}

ItemSound::~ItemSound() = default;

void ItemSound::Collect() {
    m_maker->HandTo(m_synth);
}

std::int64_t ItemSound::CheckpointsMadeTo() const {
    return m_maker->Done() ? session::kEndless : m_maker->Reached();
}

void ItemSound::Seek(std::int64_t frame) {
    Collect();
    // Where the helper's walk is ahead of where this synthesis would move on from, it
    // reaches the checkpoint before the target sooner than moving on here would, and the
    // same frames are not walked twice at once.
    if (m_maker->Reached() > m_synth.SeekFrom(frame)) {
        m_maker->WaitFor(frame - frame % m_synth.Checkpoints().spacing);
        Collect();
    }
    m_synth.Seek(frame);
}

}  // namespace player
