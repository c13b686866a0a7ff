// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/play_item.h"

#include "player/checkpoint_maker.h"

namespace player {

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

void ItemSound::Seek(std::int64_t frame) {
    Collect();
    m_synth.Seek(frame);
}

}  // namespace player
