// SPDX-License-Identifier: GPL-3.0-or-later
// What the player plays: a session, its timeline and the way to its mix file, as one
// object that never changes once made. Replacing what plays means handing over a new one,
// so the user-interface thread can build the next timeline while the old one sounds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "session/mix_file.h"
#include "session/session.h"
#include "session/synth.h"
#include "session/timeline.h"

namespace player {

struct PlayItem {
    session::Session session;
    session::Timeline timeline;
    // Opens the session's mix file at the timeline's rate. A stream has a position of its
    // own, so every synthesis of the item opens its own. Empty, or returning null: the mix
    // voices are silent.
    std::function<std::unique_ptr<session::MixStream>()> openMix;
    std::uint64_t seed = 0;  // chooses the noise, as a render's --seed
};

// The item that plays `session` at `rate`: its timeline, and the way to its mix file (which
// the caller has seen open, when it has one).
std::shared_ptr<const PlayItem> MakePlayItem(session::Session session, int rate,
                                             std::uint64_t seed = 0);

class CheckpointMaker;

// One item sounding: its synthesis, with the mix stream only it reads, and a helper making
// its checkpoints ahead (player/checkpoint_maker.h).
class ItemSound {
  public:
    // Ready to render from `frame`, exactly as if every frame before it had been rendered.
    ItemSound(std::shared_ptr<const PlayItem> item, std::int64_t frame);
    ~ItemSound();

    const PlayItem& Item() const { return *m_item; }
    const std::shared_ptr<const PlayItem>& Shared() const { return m_item; }
    session::Synth& Synth() { return m_synth; }

    // Takes the checkpoints the helper has made since last asked, so that they count
    // against the synthesis's limit rather than pile up.
    void Collect();
    // The frame up to which the helper has made the checkpoints (kEndless once it is done).
    std::int64_t CheckpointsMadeTo() const;
    // As the synthesis's Seek, with every checkpoint made so far; waits for the helper when
    // it will make the one before `frame` sooner than moving on from further back would.
    void Seek(std::int64_t frame);

  private:
    // Declared in this order so that the synthesis goes before what it reads, and the
    // helper stops first.
    std::shared_ptr<const PlayItem> m_item;
    std::unique_ptr<session::MixStream> m_mix;
    session::Synth m_synth;
    std::unique_ptr<CheckpointMaker> m_maker;
};

}  // namespace player
