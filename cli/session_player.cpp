// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session_player.h"

#include <QCoreApplication>
#include <algorithm>

#include "platform/wave_out.h"

namespace cli {
namespace {

constexpr int kFadeDivisor = 4;  // a quarter of a second

}  // namespace

SessionPlayer::SessionPlayer(const session::Timeline& timeline, std::int64_t from, std::int64_t end,
                             int volume, session::MixStream* mix,
                             std::function<void(std::int64_t)> played)
    : m_synth(timeline, 0, session::kPcm16, session::Synth::Method::Fast, mix),
      m_rate(timeline.rate),
      m_blockFrames(std::max(1, timeline.rate / 10)),
      // Full volume is the gain 65535/65535: the device plays the samples as they are.
      m_volume(static_cast<plat::DWORD>(volume) * 0xFFFFu / 100u),
      m_end(end),
      m_played(from),
      m_onPlayed(std::move(played)) {
    m_synth.Seek(from);
    CreateHidden("tovin-cli session", 0);
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

bool SessionPlayer::Open() {
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
    plat::waveOutSetVolume(m_out, m_volume | m_volume << 16);
    for (int i = 0; i < 3; ++i) {
        m_buffers[i].resize(2 * static_cast<std::size_t>(m_blockFrames));
        m_headers[i].lpData = reinterpret_cast<char*>(m_buffers[i].data());
        m_headers[i].dwBufferLength = static_cast<plat::DWORD>(4 * m_blockFrames);
        plat::waveOutPrepareHeader(m_out, &m_headers[i], sizeof(plat::WAVEHDR));
    }
    return true;
}

void SessionPlayer::Stop() {
    if (m_fadeEnd >= 0 || m_out == 0) {
        return;
    }
    // Before the device has asked for its first blocks, the fade is the first thing queued.
    m_fadeEnd = std::min(m_end, m_synth.Position() + m_rate / kFadeDivisor);
    m_end = m_fadeEnd;
}

bool SessionPlayer::queue(plat::WAVEHDR& hdr) {
    const std::int64_t first = m_synth.Position();
    const int frames = static_cast<int>(std::min<std::int64_t>(m_blockFrames, m_end - first));
    if (frames <= 0) {
        return false;
    }
    auto* samples = reinterpret_cast<std::int16_t*>(hdr.lpData);
    m_synth.Render(samples, frames);
    if (m_fadeEnd >= 0) {
        fade(samples, frames, first);
    }
    hdr.dwBufferLength = static_cast<plat::DWORD>(4 * frames);
    plat::waveOutWrite(m_out, &hdr, sizeof hdr);
    ++m_queued;
    return true;
}

// A straight line from full level at the stop to silence at m_fadeEnd.
void SessionPlayer::fade(std::int16_t* frames, int count, std::int64_t first) const {
    const double length = static_cast<double>(m_rate / kFadeDivisor);
    for (int i = 0; i < count; ++i) {
        const double gain = static_cast<double>(m_fadeEnd - (first + i)) / length;
        frames[2 * i] = static_cast<std::int16_t>(frames[2 * i] * gain);
        frames[2 * i + 1] = static_cast<std::int16_t>(frames[2 * i + 1] * gain);
    }
}

plat::LRESULT SessionPlayer::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    switch (msg) {
        case plat::MM_WOM_OPEN: {
            bool any = false;
            for (plat::WAVEHDR& hdr : m_headers) {
                any = queue(hdr) || any;
            }
            if (!any) {
                plat::waveOutClose(m_out);
            }
            return 1;
        }
        case plat::MM_WOM_DONE: {
            auto* hdr = reinterpret_cast<plat::WAVEHDR*>(lParam);
            --m_queued;
            m_played += hdr->dwBufferLength / 4;
            if (m_onPlayed) {
                m_onPlayed(m_played);
            }
            if (!queue(*hdr) && m_queued == 0) {
                plat::waveOutClose(m_out);
            }
            return 1;
        }
        case plat::MM_WOM_CLOSE:
            for (plat::WAVEHDR& hdr : m_headers) {
                plat::waveOutUnprepareHeader(m_out, &hdr, sizeof hdr);
            }
            m_out = 0;
            QCoreApplication::quit();
            return 1;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

}  // namespace cli
