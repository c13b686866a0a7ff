// SPDX-License-Identifier: GPL-3.0-or-later
// Plays a session through the default sound device in blocks of a twentieth of a second,
// three queued: each block that comes back done is filled with what comes next and queued
// again, so the program wakes only when the device has taken a block. What the blocks hold
// is the Transport's (player/transport.h): exactly a render's frames until something is
// changed, and ramps, never jumps, where something is. A change is heard from the first
// frame not yet queued: after what the device's own buffer holds (0.2 s with ALSA) and up
// to three blocks more, 0.25 to 0.35 s in all (bench_key_latency). Blocks of a tenth of a
// second made that 0.4 to 0.5 s; the device's buffer, not the queue, keeps it from running
// dry while this thread is busy, so the shorter queue costs only twice the wake-ups.
// Everything here runs on the user-interface thread, device notifications included.
#pragma once

#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"
#include "player/transport.h"

namespace player {

struct PlayerState {
    std::int64_t position = 0;  // the timeline's frame the device has played up to
    bool paused = false;        // a pause has been asked for and its ramp down queued
    bool ended = false;         // finished: the device has closed, nothing more comes
    bool waiting = false;       // the device went away; it is tried again twice a second
};

class SessionPlayer : public plat::CWnd {
  public:
    // `changed` is called on the user-interface thread after each block the device has
    // played, when the device goes away and when it is back (`waiting`), and a last time
    // with `ended` set once the device has closed: at the end of what was to play, or
    // after Stop.
    SessionPlayer(std::shared_ptr<const PlayItem> item,
                  std::function<void(const PlayerState&)> changed);
    ~SessionPlayer() override;

    // Opens the device and plays [from, end) of the timeline; `end` may be kEndless, and
    // the timeline's own end comes first if sooner. False when the device cannot be opened.
    bool Play(std::int64_t from, std::int64_t end = session::kEndless);
    // Before Play, these do nothing (but Replace changes what Play will play).
    void Pause();
    void Resume();
    void Seek(std::int64_t frame);
    // 0 to 100, applied to the samples; 100 leaves them exact. Before Play: the level it
    // starts at, without a ramp.
    void SetVolume(int volume);
    // False when the item's rate is not the one the device plays at.
    bool Replace(std::shared_ptr<const PlayItem> item);
    // Fades out over a quarter of a second from the next frame not yet queued; what is
    // queued plays out, then the device closes. While waiting for the device: ends at once.
    void Stop();

    PlayerState State() const { return m_state; }
    static int BlockFrames(int rate) { return std::max(1, rate / 20); }
    const std::shared_ptr<const PlayItem>& Item() const { return m_item; }

    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

  private:
    // Opens the device and prepares the blocks; false when it cannot be opened.
    bool open();
    // The device went away after playing `played` frames of this opening: keep the
    // timeline's frame it had reached, let it go, and try again.
    void lost(std::uint64_t played);
    // The timeline's frame that the opening's frame `played` held, from the marks.
    std::int64_t heardUpTo(std::uint64_t played) const;
    void retry();
    // Fills block `i` with what comes next and queues it; false when nothing comes now.
    bool queue(int i);
    // Queues every block the device does not hold, and closes the device when it holds
    // none and nothing more will come.
    void refill();
    void report();

    std::shared_ptr<const PlayItem> m_item;
    std::optional<Transport> m_transport;  // from Play on
    const int m_rate;
    const int m_blockFrames;
    std::function<void(const PlayerState&)> m_changed;
    int m_volume = 100;
    PlayerState m_state;
    plat::HWAVEOUT m_out = 0;
    bool m_opened = false;  // the device has said it is open
    bool m_closing = false;
    std::vector<std::int16_t> m_buffers[3];
    plat::WAVEHDR m_headers[3] = {};
    std::int64_t m_blockEnd[3] = {};  // the timeline's frame after each queued block
    bool m_held[3] = {};              // the device holds the block
    // The blocks queued lately, so that a device that goes away with some of them unheard
    // is known to have stopped within one: where each ends among the frames of the opening
    // and on the timeline, and how many frames before that end run on the timeline without
    // a jump. Enough of them for the device's own buffer (0.2 s) and the three queued.
    struct Mark {
        std::uint64_t deviceEnd;
        std::int64_t timelineEnd;
        std::int64_t run;
    };
    std::deque<Mark> m_marks;
    std::uint64_t m_queued = 0;  // frames queued since the device opened
    QTimer m_retry;
};

}  // namespace player
