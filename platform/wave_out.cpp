// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wave_out.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/handle_table.h"
#include "platform/message_queue.h"
#include "platform/open_failure.h"
#include "platform/wave_sink.h"

namespace plat {
namespace {

constexpr std::size_t kPieceFrames = 1024;

// One open device: a queue of headers and the thread that plays them.
class WaveOutDevice {
  public:
    WaveOutDevice(std::unique_ptr<WaveSink> sink, HWND notify, HWAVEOUT self, WORD blockAlign)
        : m_sink(std::move(sink)),
          m_notify(notify),
          m_self(self),
          m_blockAlign(blockAlign == 0 ? 1 : blockAlign) {
        m_thread = std::thread([this] { run(); });
    }

    ~WaveOutDevice() {
        stopThread();
        m_sink->close();
    }

    void prepare(WAVEHDR* hdr) {
        std::lock_guard<std::mutex> lock(m_mutex);
        hdr->dwFlags |= WHDR_PREPARED;
    }

    MMRESULT unprepare(WAVEHDR* hdr) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if ((hdr->dwFlags & WHDR_INQUEUE) != 0) {
            return WAVERR_STILLPLAYING;
        }
        hdr->dwFlags &= ~WHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }

    MMRESULT write(WAVEHDR* hdr) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if ((hdr->dwFlags & WHDR_PREPARED) == 0) {
            return WAVERR_UNPREPARED;
        }
        if ((hdr->dwFlags & WHDR_INQUEUE) != 0) {
            return WAVERR_STILLPLAYING;
        }
        hdr->dwFlags = (hdr->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
        m_queue.push_back(hdr);
        m_cv.notify_all();
        return MMSYSERR_NOERROR;
    }

    // Output stops at once; every queued block, the one playing included, comes back
    // done, in queue order.
    void reset() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_abort.store(true);
        m_sink->interrupt();
        m_cv.wait(lock, [this] { return !m_writing; });
        while (!m_queue.empty()) {
            finishFront();
        }
        m_discard = true;
        m_abort.store(false);
        m_cv.notify_all();
    }

    bool idle() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_queue.empty();
    }

    void setVolume(DWORD volume) { m_volume.store(volume); }
    DWORD volume() const { return m_volume.load(); }
    HWND notifyWindow() const { return m_notify; }

  private:
    void run() {
        pthread_setname_np(pthread_self(), "wave-out");  // as top -H and debuggers show it
        std::vector<char> copy;
        for (;;) {
            WAVEHDR* hdr = nullptr;
            const char* data = nullptr;
            std::size_t bytes = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                // While a reset is under way no new block starts: the reset takes them all.
                m_cv.wait(lock, [this] {
                    return m_quit || m_discard || (!m_abort.load() && !m_queue.empty());
                });
                if (m_discard) {
                    m_discard = false;
                    lock.unlock();
                    m_sink->discard();
                    continue;
                }
                if (m_quit) {
                    return;
                }
                hdr = m_queue.front();
                data = hdr->lpData;
                bytes = hdr->dwBufferLength;
                m_writing = true;
            }
            bytes -= bytes % m_blockAlign;
            // The gain is read afresh for every piece, so a volume change is heard within
            // one piece rather than after the blocks already queued.
            const std::size_t pieceBytes = kPieceFrames * m_blockAlign;
            for (std::size_t offset = 0; offset < bytes && !m_abort.load(); offset += pieceBytes) {
                const std::size_t n = std::min(pieceBytes, bytes - offset);
                copy.resize(n);
                scale(data + offset, copy.data(), n);
                m_sink->write({hdr, copy.data(), n, offset, offset + n == bytes}, m_abort);
                if (!m_lostSaid && m_sink->lost()) {
                    // Before this block's done report: whoever listens knows that what is
                    // reported done from here on was never heard.
                    m_lostSaid = true;
                    const std::uint64_t given = m_passed.load() + (offset + n) / m_blockAlign;
                    const std::uint64_t held = std::min(m_sink->held(), given);
                    PostMessage(m_notify, MM_WOM_LOST, m_self, static_cast<LPARAM>(given - held));
                }
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_writing = false;
            finishFront();
            m_cv.notify_all();
        }
    }

    // The volume is a gain on a copy: the caller's block is never changed.
    void scale(const char* in, char* out, std::size_t bytes) const {
        const DWORD volume = m_volume.load();
        const std::int32_t gain[2] = {static_cast<std::int32_t>(volume & 0xFFFF),
                                      static_cast<std::int32_t>(volume >> 16)};
        const std::size_t samples = bytes / 2;
        for (std::size_t i = 0; i < samples; ++i) {
            std::int16_t s;
            std::memcpy(&s, in + 2 * i, 2);
            const auto v = static_cast<std::int16_t>(s * gain[i & 1] / 65535);
            std::memcpy(out + 2 * i, &v, 2);
        }
        if (bytes % 2 != 0) {
            out[bytes - 1] = in[bytes - 1];
        }
    }

    // With m_mutex held: hand the front block back as done.
    void finishFront() {
        WAVEHDR* hdr = m_queue.front();
        m_queue.pop_front();
        m_passed.store(m_passed.load() + hdr->dwBufferLength / m_blockAlign);
        hdr->dwFlags = (hdr->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        PostMessage(m_notify, MM_WOM_DONE, m_self, reinterpret_cast<LPARAM>(hdr));
    }

    void stopThread() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
            m_cv.notify_all();
        }
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    std::unique_ptr<WaveSink> m_sink;
    const HWND m_notify;
    const HWAVEOUT m_self;
    const WORD m_blockAlign;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<WAVEHDR*> m_queue;
    bool m_writing = false;
    bool m_quit = false;
    bool m_discard = false;
    bool m_lostSaid = false;  // writer thread only
    // Frames of the blocks handed back done; written under m_mutex, read by the writer.
    std::atomic<std::uint64_t> m_passed{0};
    std::atomic<bool> m_abort{false};
    std::atomic<DWORD> m_volume{0xFFFFFFFFu};
    std::thread m_thread;
};

HandleTable<HWAVEOUT, WaveOutDevice> g_devices;
std::mutex g_factoryMutex;
WaveSinkFactory g_factory;

bool formatSupported(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && f.nChannels == 2 && f.wBitsPerSample == 16 &&
           f.nBlockAlign == 4 && f.nSamplesPerSec >= 8000 && f.nSamplesPerSec <= 192000 &&
           f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

}  // namespace

void SetWaveSinkFactory(WaveSinkFactory factory) {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR, DWORD flags) {
    if (format == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (deviceId != WAVE_MAPPER && deviceId != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    if (!formatSupported(*format)) {
        return WAVERR_BADFORMAT;
    }
    if ((flags & WAVE_FORMAT_QUERY) != 0) {
        return MMSYSERR_NOERROR;
    }
    if (phwo == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    const bool toWindow = (flags & CALLBACK_WINDOW) != 0;
    WaveSinkFactory factory;
    {
        std::lock_guard<std::mutex> lock(g_factoryMutex);
        factory = g_factory;
    }
    std::unique_ptr<WaveSink> sink = factory ? factory() : MakeAlsaWaveSink();
    if (!sink || !sink->open(*format)) {
        SetLastOpenFailure(sink ? sink->failure() : std::string());
        return MMSYSERR_NODRIVER;
    }
    SetLastOpenFailure({});
    const HWND notify = toWindow ? static_cast<HWND>(callback) : 0;
    const HWAVEOUT handle = g_devices.Add([&](HWAVEOUT self) {
        return std::make_shared<WaveOutDevice>(std::move(sink), notify, self, format->nBlockAlign);
    });
    *phwo = handle;
    PostMessage(notify, MM_WOM_OPEN, handle, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* hdr, UINT) {
    return g_devices.With(hwo, [hdr](WaveOutDevice& dev) {
        if (hdr == nullptr || hdr->lpData == nullptr) {
            return MMSYSERR_INVALPARAM;
        }
        dev.prepare(hdr);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* hdr, UINT) {
    return g_devices.With(hwo, [hdr](WaveOutDevice& dev) {
        return hdr == nullptr ? MMSYSERR_INVALPARAM : dev.unprepare(hdr);
    });
}

MMRESULT waveOutWrite(HWAVEOUT hwo, WAVEHDR* hdr, UINT) {
    return g_devices.With(hwo, [hdr](WaveOutDevice& dev) {
        return hdr == nullptr || hdr->lpData == nullptr ? MMSYSERR_INVALPARAM : dev.write(hdr);
    });
}

MMRESULT waveOutReset(HWAVEOUT hwo) {
    return g_devices.With(hwo, [](WaveOutDevice& dev) {
        dev.reset();
        return MMSYSERR_NOERROR;
    });
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    std::shared_ptr<WaveOutDevice> dev;
    if (const MMRESULT r = g_devices.Take(
            hwo, dev,
            [](WaveOutDevice& d) { return d.idle() ? MMSYSERR_NOERROR : WAVERR_STILLPLAYING; });
        r != MMSYSERR_NOERROR) {
        return r;
    }
    const HWND notify = dev->notifyWindow();
    dev.reset();  // ends the writer thread and closes the device
    PostMessage(notify, MM_WOM_CLOSE, hwo, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutSetVolume(HWAVEOUT hwo, DWORD volume) {
    return g_devices.With(hwo, [volume](WaveOutDevice& dev) {
        dev.setVolume(volume);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT waveOutGetVolume(HWAVEOUT hwo, DWORD* volume) {
    return g_devices.With(hwo, [volume](WaveOutDevice& dev) {
        if (volume == nullptr) {
            return MMSYSERR_INVALPARAM;
        }
        *volume = dev.volume();
        return MMSYSERR_NOERROR;
    });
}

}  // namespace plat
