// SPDX-License-Identifier: GPL-3.0-or-later
// Plays a timeline through the default sound device, from one frame to another, in blocks
// of a tenth of a second: each block that comes back done is filled with the next and
// queued again, so the program wakes only when the device has taken a block. The blocks
// hold exactly the frames a render of the session makes; the volume is the device's gain.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"
#include "session/synth.h"

namespace cli {

class SessionPlayer : public plat::CWnd {
  public:
    // Plays [from, end) of the timeline, which must outlive the player; `end` may be
    // kEndless. `played` is called on the user-interface thread each time a block has been
    // played, with the frame reached.
    // `mix`, the session's mix file at the timeline's rate (or null), must outlive it too.
    SessionPlayer(const session::Timeline& timeline, std::int64_t from, std::int64_t end,
                  int volume, session::MixStream* mix, std::function<void(std::int64_t)> played);
    ~SessionPlayer() override;

    // Opens the device and starts playing. False when the device cannot be opened.
    bool Open();

    // Fades out over a quarter of a second from the next frame not yet queued; what is
    // queued plays out, then the device closes and the event loop ends.
    void Stop();

    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

  private:
    // Fills the block with what comes next and queues it; false when nothing is left.
    bool queue(plat::WAVEHDR& hdr);
    void fade(std::int16_t* frames, int count, std::int64_t first) const;

    session::Synth m_synth;
    const int m_rate;
    const int m_blockFrames;
    const plat::DWORD m_volume;
    std::int64_t m_end;
    std::int64_t m_fadeEnd = -1;  // once stopping: the frame where the fade reaches 0
    std::int64_t m_played;        // the frame the device has played up to
    std::function<void(std::int64_t)> m_onPlayed;
    plat::HWAVEOUT m_out = 0;
    std::vector<std::int16_t> m_buffers[3];
    plat::WAVEHDR m_headers[3] = {};
    int m_queued = 0;
};

}  // namespace cli
