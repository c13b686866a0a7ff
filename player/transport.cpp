// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/transport.h"

#include <algorithm>

namespace player {

Transport::Transport(std::shared_ptr<const PlayItem> item, std::int64_t from, std::int64_t end,
                     int volume)
    : m_rate(item->timeline.rate),
      m_askedEnd(end),
      m_sound(std::make_unique<ItemSound>(std::move(item), from)),
      m_volume(std::clamp(volume, 0, 100) / 100.0) {
    setEnd();
}

void Transport::setEnd() {
    m_end = std::min(m_askedEnd, m_sound->Item().timeline.end);
}

int Transport::Fill(std::int16_t* frames, int count) {
    m_sound->Collect();
    int done = 0;
    while (done < count && !m_paused && !m_ended) {
        if (silent()) {
            if (!atSilence()) {
                break;
            }
            continue;
        }
        const std::int64_t position = Position();
        if (position >= m_end) {
            m_ended = true;
            break;
        }
        // A chunk ends where a ramp or the crossfade does, so that what waits for its end
        // happens before the next frame.
        int chunk = static_cast<int>(std::min<std::int64_t>(count - done, m_end - position));
        if (!m_level.Settled()) {
            chunk = std::min(chunk, m_level.Left());
        }
        if (m_incoming) {
            chunk = std::min(chunk, m_crossfade.Left());
        }
        render(frames + 2 * static_cast<std::ptrdiff_t>(done), chunk);
        done += chunk;
        m_run += chunk;
        if (m_incoming && m_crossfade.Settled()) {
            m_sound = std::move(m_incoming);
            if (m_nextItem) {
                crossfadeTo(std::move(m_nextItem));
            }
        }
    }
    return done;
}

// The old sound's frame o and the new one's n mix to o × (1 − t) + n × t, t being the
// crossfade's gain; the level and the volume multiply the result, which is truncated toward
// zero as the synthesis truncates. At full gain the frames are left as they are.
void Transport::render(std::int16_t* frames, int count) {
    m_sound->Synth().Render(frames, count);
    if (m_incoming) {
        m_incomingFrames.resize(2 * static_cast<std::size_t>(count));
        m_incoming->Synth().Render(m_incomingFrames.data(), count);
    }
    if (!m_incoming && m_level.Settled() && m_volume.Settled() &&
        m_level.Current() * m_volume.Current() == 1.0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const double gain = m_level.Next() * m_volume.Next();
        const double t = m_incoming ? m_crossfade.Next() : 0.0;
        for (int ear = 0; ear < 2; ++ear) {
            std::int16_t& sample = frames[2 * i + ear];
            double value = sample;
            if (m_incoming) {
                value = value * (1.0 - t) + m_incomingFrames[2 * i + ear] * t;
            }
            sample = static_cast<std::int16_t>(value * gain);
        }
    }
}

bool Transport::atSilence() {
    // Nothing is heard, so the sound may change at once.
    if (m_incoming) {
        m_sound = std::move(m_incoming);
    }
    if (m_nextItem) {
        m_sound = std::make_unique<ItemSound>(std::move(m_nextItem), Position());
        setEnd();
    }
    if (m_stopping) {
        m_ended = true;
        return false;
    }
    if (m_seekTo) {
        m_sound->Seek(*m_seekTo);
        m_seekTo.reset();
        m_run = 0;
    }
    if (m_pauseAsked) {
        m_paused = true;
        return false;
    }
    m_level.To(1.0, RampFrames(m_rate));
    return true;
}

void Transport::Pause() {
    if (m_paused || m_ended || m_stopping) {
        return;
    }
    m_pauseAsked = true;
    if (m_level.Target() != 0.0) {
        m_level.To(0.0, RampFrames(m_rate));
    }
}

void Transport::Resume() {
    if (m_ended || m_stopping || !m_pauseAsked) {
        return;
    }
    m_pauseAsked = false;
    // Paused, or on the way down to a pause with no seek waiting at the bottom: back up.
    if (m_paused || !m_seekTo) {
        m_paused = false;
        m_level.To(1.0, RampFrames(m_rate));
    }
}

void Transport::Seek(std::int64_t frame) {
    if (m_ended || m_stopping) {
        return;
    }
    frame = std::max<std::int64_t>(frame, 0);
    if (m_paused) {
        m_sound->Seek(frame);
        m_run = 0;
        return;
    }
    m_seekTo = frame;
    if (m_level.Target() != 0.0) {
        m_level.To(0.0, RampFrames(m_rate));
    }
}

void Transport::SetVolume(int volume) {
    m_volume.To(std::clamp(volume, 0, 100) / 100.0, RampFrames(m_rate));
}

bool Transport::Replace(std::shared_ptr<const PlayItem> item) {
    if (item->timeline.rate != m_rate) {
        return false;
    }
    if (m_ended || m_stopping) {
        return true;
    }
    if (m_paused || silent()) {
        m_incoming.reset();
        m_nextItem.reset();
        m_sound = std::make_unique<ItemSound>(std::move(item), Position());
        setEnd();
    } else if (m_incoming) {
        // Two fades at once would need a third sound; the newest waits for this one's end,
        // at most 50 ms.
        m_nextItem = std::move(item);
    } else {
        crossfadeTo(std::move(item));
    }
    return true;
}

void Transport::crossfadeTo(std::shared_ptr<const PlayItem> item) {
    m_incoming = std::make_unique<ItemSound>(std::move(item), Position());
    m_crossfade = GainRamp(0.0);
    m_crossfade.To(1.0, CrossfadeFrames(m_rate));
    m_end = std::min(m_askedEnd, m_incoming->Item().timeline.end);
}

void Transport::Stop() {
    if (m_ended || m_stopping) {
        return;
    }
    m_stopping = true;
    if (m_paused) {
        m_ended = true;
        return;
    }
    m_level.To(0.0, StopFrames(m_rate));
}

}  // namespace player

namespace player {

void Transport::Rewind(std::int64_t frame) {
    if (m_stopping) {
        m_ended = true;  // the fade out would have been all that was left
        return;
    }
    // A crossfade under way finishes at once: its old sound was never heard past `frame`.
    if (m_incoming) {
        m_sound = std::move(m_incoming);
    }
    if (m_nextItem) {
        m_sound = std::make_unique<ItemSound>(std::move(m_nextItem), frame);
        setEnd();
    }
    m_sound->Seek(frame);
    m_run = 0;
    m_level = GainRamp(0.0);
    m_ended = frame >= m_end;
}

}  // namespace player
