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

// One item sounding: its synthesis, with the mix stream only it reads.
class ItemSound {
  public:
    // Ready to render from `frame`, exactly as if every frame before it had been rendered.
    ItemSound(std::shared_ptr<const PlayItem> item, std::int64_t frame);

    const PlayItem& Item() const { return *m_item; }
    const std::shared_ptr<const PlayItem>& Shared() const { return m_item; }
    session::Synth& Synth() { return m_synth; }

  private:
    // Declared in this order so that the synthesis goes before what it reads.
    std::shared_ptr<const PlayItem> m_item;
    std::unique_ptr<session::MixStream> m_mix;
    session::Synth m_synth;
};

}  // namespace player
