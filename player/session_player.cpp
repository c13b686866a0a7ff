// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/session_player.h"

#include <algorithm>

#include "platform/wave_out.h"

namespace player {
namespace {

// Blocks remembered for a lost device: its buffer and the queue hold six at most.
constexpr std::size_t kMarks = 8;

}  // namespace

SessionPlayer::SessionPlayer(std::shared_ptr<const PlayItem> item,
                             std::function<void(const PlayerState&)> changed)
    : m_item(std::move(item)),
      m_rate(m_item->timeline.rate),
      m_blockFrames(BlockFrames(m_rate)),
      m_changed(std::move(changed)) {
    CreateHidden("session player", 0);
    m_retry.setInterval(500);
    QObject::connect(&m_retry, &QTimer::timeout, [this] { retry(); });
}

SessionPlayer::~SessionPlayer() {
    if (m_out != 0) {
        plat::waveOutReset(m_out);
        plat::waveOutClose(m_out);
        for (plat::WAVEHDR& hdr : m_headers) {
            plat::waveOutUnprepareHeader(m_out, &hdr, sizeof hdr);
        }
    }
}

bool SessionPlayer::Play(std::int64_t from, std::int64_t end) {
    if (m_transport) {
        return false;  // a player plays once
    }
    m_state = PlayerState{from, false, false, false};
    if (!open()) {
        return false;
    }
    m_transport.emplace(m_item, from, end, m_volume);
    return true;
}

bool SessionPlayer::open() {
    plat::WAVEFORMATEX format{};
    format.wFormatTag = plat::WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<plat::DWORD>(m_rate);
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = 16;
    plat::HWAVEOUT out = 0;
    if (plat::waveOutOpen(&out, plat::WAVE_MAPPER, &format, GetSafeHwnd(), 0,
                          plat::CALLBACK_WINDOW) != plat::MMSYSERR_NOERROR) {
        return false;
    }
    m_out = out;
    m_marks.clear();
    m_queued = 0;
    for (int i = 0; i < 3; ++i) {
        m_buffers[i].resize(2 * static_cast<std::size_t>(m_blockFrames));
        m_headers[i].lpData = reinterpret_cast<char*>(m_buffers[i].data());
        m_headers[i].dwBufferLength = static_cast<plat::DWORD>(4 * m_blockFrames);
        plat::waveOutPrepareHeader(m_out, &m_headers[i], sizeof(plat::WAVEHDR));
    }
    return true;
}

std::int64_t SessionPlayer::heardUpTo(std::uint64_t played) const {
    for (const Mark& m : m_marks) {
        if (m.deviceEnd > played) {
            // Unheard from inside a block: from the same frame, or from where its last jump
            // landed when the unheard part begins before it.
            const auto unheard = static_cast<std::int64_t>(m.deviceEnd - played);
            return m.timelineEnd - std::min(unheard, m.run);
        }
    }
    return m_marks.empty() ? m_state.position : m_marks.back().timelineEnd;
}

void SessionPlayer::lost(std::uint64_t played) {
    // What is reported done from here on never reached the ear, nor what the device held
    // unplayed: the position goes back to the frame it had played up to, and what follows
    // is made again on the next device.
    m_state.position = heardUpTo(played);
    plat::waveOutReset(m_out);
    for (plat::WAVEHDR& hdr : m_headers) {
        plat::waveOutUnprepareHeader(m_out, &hdr, sizeof hdr);
    }
    plat::waveOutClose(m_out);  // its done and close reports name the old handle: ignored
    m_out = 0;
    m_opened = false;
    std::fill(std::begin(m_held), std::end(m_held), false);
    m_transport->Rewind(m_state.position);
    if (m_transport->Ended()) {
        m_state.ended = true;  // nothing was left but a fade out, or nothing at all
    } else {
        m_state.waiting = true;
        m_retry.start();
    }
    report();
}

void SessionPlayer::retry() {
    if (!m_state.waiting || !open()) {
        return;
    }
    m_retry.stop();
    m_state.waiting = false;
    report();
}

void SessionPlayer::Pause() {
    if (m_transport) {
        m_transport->Pause();
        m_state.paused = m_transport->PauseAsked();
    }
}

void SessionPlayer::Resume() {
    if (m_transport) {
        m_transport->Resume();
        m_state.paused = m_transport->PauseAsked();
        refill();
    }
}

void SessionPlayer::Seek(std::int64_t frame) {
    if (m_transport) {
        m_transport->Seek(frame);
    }
}

void SessionPlayer::SetVolume(int volume) {
    m_volume = volume;
    if (m_transport) {
        m_transport->SetVolume(volume);
    }
}

bool SessionPlayer::Replace(std::shared_ptr<const PlayItem> item) {
    if (item->timeline.rate != m_rate || (m_transport && !m_transport->Replace(item))) {
        return false;
    }
    m_item = std::move(item);
    return true;
}

void SessionPlayer::Stop() {
    if (m_state.waiting) {
        m_retry.stop();
        m_transport->Stop();
        m_state.waiting = false;
        m_state.ended = true;
        report();
        return;
    }
    if (m_transport) {
        m_transport->Stop();
        refill();  // stopped while paused: nothing is queued, and the device closes now
    }
}

bool SessionPlayer::queue(int i) {
    const int frames = m_transport->Fill(m_buffers[i].data(), m_blockFrames);
    if (frames == 0) {
        return false;
    }
    m_headers[i].dwBufferLength = static_cast<plat::DWORD>(4 * frames);
    m_blockEnd[i] = m_transport->Position();
    m_queued += static_cast<std::uint64_t>(frames);
    m_marks.push_back(
        {m_queued, m_blockEnd[i], std::min<std::int64_t>(frames, m_transport->Run())});
    if (m_marks.size() > kMarks) {
        m_marks.pop_front();
    }
    m_held[i] = true;
    plat::waveOutWrite(m_out, &m_headers[i], sizeof m_headers[i]);
    return true;
}

void SessionPlayer::refill() {
    if (!m_opened || m_out == 0 || m_closing) {
        return;  // before the device is open, its opening queues the first blocks
    }
    for (int i = 0; i < 3; ++i) {
        if (!m_held[i] && !queue(i)) {
            break;
        }
    }
    if (std::none_of(std::begin(m_held), std::end(m_held), [](bool h) { return h; }) &&
        m_transport->Ended()) {
        m_closing = true;
        plat::waveOutClose(m_out);
    }
}

void SessionPlayer::report() {
    if (m_changed) {
        m_changed(m_state);
    }
}

plat::LRESULT SessionPlayer::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    if ((msg == plat::MM_WOM_OPEN || msg == plat::MM_WOM_DONE || msg == plat::MM_WOM_CLOSE ||
         msg == plat::MM_WOM_LOST) &&
        static_cast<plat::HWAVEOUT>(wParam) != m_out) {
        return 1;  // from a device given up after it went away
    }
    switch (msg) {
        case plat::MM_WOM_LOST:
            if (!m_closing) {
                lost(static_cast<std::uint64_t>(lParam));
            }
            return 1;
        case plat::MM_WOM_OPEN:
            m_opened = true;
            refill();
            return 1;
        case plat::MM_WOM_DONE: {
            const auto* hdr = reinterpret_cast<const plat::WAVEHDR*>(lParam);
            const int i = static_cast<int>(hdr - m_headers);
            m_held[i] = false;
            m_state.position = m_blockEnd[i];
            report();
            refill();
            return 1;
        }
        case plat::MM_WOM_CLOSE:
            for (plat::WAVEHDR& hdr : m_headers) {
                plat::waveOutUnprepareHeader(m_out, &hdr, sizeof hdr);
            }
            m_out = 0;
            m_state.ended = true;
            report();
            return 1;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

}  // namespace player
