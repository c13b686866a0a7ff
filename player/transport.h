// SPDX-License-Identifier: GPL-3.0-or-later
// The frames the player hands the device, and every change of what they are: pause,
// resume, seek, volume, a new timeline, stop. A change takes effect from the next frame
// asked for, and never as a jump: the level ramps over 10 ms (441 frames at 44.1 kHz)
// down to a pause or a seek and up from it, and to a new volume; a new timeline fades in
// over 50 ms as the old one fades out; stop fades out over a quarter of a second. With no
// change under way and the volume at 100, the frames are exactly the synthesis'.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "player/gain_ramp.h"
#include "player/play_item.h"

namespace player {

class Transport {
  public:
    // Plays the item from `from` up to `end` (or the timeline's end, if sooner), at
    // `volume` (0 to 100) from its first frame.
    Transport(std::shared_ptr<const PlayItem> item, std::int64_t from, std::int64_t end,
              int volume = 100);

    // Writes up to `count` frames (left, right) of what comes next. Fewer once paused or
    // ended: the last ones are the ramp down.
    int Fill(std::int16_t* frames, int count);

    void Pause();
    void Resume();
    // To the timeline's frame `frame`: the frames from there on are those a render has there.
    void Seek(std::int64_t frame);
    void SetVolume(int volume);  // 0 to 100
    // Plays `item` from the frame reached, fading over from the old sound. False, and
    // nothing changes, when its rate differs from the one playing (the device is open at it).
    bool Replace(std::shared_ptr<const PlayItem> item);
    void Stop();
    // What was filled from `frame` on was never heard (the device went away): the next Fill
    // starts at `frame` again, ramping up from silence; a pause or seek asked for is kept.
    void Rewind(std::int64_t frame);

    // The timeline's frame the next Fill starts with.
    std::int64_t Position() { return m_sound->Synth().Position(); }
    // How many of the frames filled last lead up to Position() without a jump (a seek):
    // the frame filled k before the next one is the timeline's Position() − k for k up to it.
    std::int64_t Run() const { return m_run; }
    const std::shared_ptr<const PlayItem>& Item() const { return m_sound->Shared(); }
    bool Paused() const { return m_paused; }  // the ramp down is over: Fill gives nothing
    bool PauseAsked() const { return m_pauseAsked; }
    bool Ended() const { return m_ended; }

    static int RampFrames(int rate) { return rate / 100; }      // 10 ms
    static int CrossfadeFrames(int rate) { return rate / 20; }  // 50 ms
    static int StopFrames(int rate) { return rate / 4; }        // a quarter of a second

  private:
    // At silence, what was waited for happens: the crossfade ends, the seek is made, the
    // pause or the stop begins. False when nothing more is to be filled for now.
    bool atSilence();
    void render(std::int16_t* frames, int count);
    void crossfadeTo(std::shared_ptr<const PlayItem> item);
    void setEnd();
    bool silent() const { return m_level.Settled() && m_level.Target() == 0.0; }

    const int m_rate;
    const std::int64_t m_askedEnd;
    std::int64_t m_end = 0;
    std::unique_ptr<ItemSound> m_sound;
    std::unique_ptr<ItemSound> m_incoming;       // fading in over m_sound
    std::shared_ptr<const PlayItem> m_nextItem;  // given during a crossfade: the one after
    GainRamp m_crossfade{0.0};
    GainRamp m_level{1.0};  // pause, seek and stop
    GainRamp m_volume;
    std::optional<std::int64_t> m_seekTo;
    bool m_pauseAsked = false;
    bool m_stopping = false;
    bool m_paused = false;
    bool m_ended = false;
    std::vector<std::int16_t> m_incomingFrames;
    std::int64_t m_run = 0;
};

}  // namespace player
