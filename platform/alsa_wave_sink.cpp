// SPDX-License-Identifier: GPL-3.0-or-later
// The real waveform device: the ALSA PCM "default", which reaches plain ALSA, PulseAudio
// and PipeWire alike through ALSA's own configuration.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/wave_sink.h"

namespace plat {
namespace {

// Device latency: enough headroom that a busy user-interface thread does not starve it.
// Two periods of half of it each: the writer, and the sound server's client thread behind
// the device, wake once a period, and every wake-up costs more than the copy it does.
constexpr unsigned kLatencyMicros = 200000;
constexpr unsigned kPeriods = 2;

// As snd_pcm_set_params, but with kPeriods periods rather than its four. Returns 0, or
// ALSA's negative error code.
int configure(snd_pcm_t* pcm, const WAVEFORMATEX& format) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = format.nSamplesPerSec;
    unsigned bufferTime = kLatencyMicros;
    unsigned periods = kPeriods;
    int err = 0;
    if ((err = snd_pcm_hw_params_any(pcm, hw)) < 0 ||
        (err = snd_pcm_hw_params_set_rate_resample(pcm, hw, 1)) < 0 ||
        (err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (err = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE)) < 0 ||
        (err = snd_pcm_hw_params_set_channels(pcm, hw, format.nChannels)) < 0 ||
        (err = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0)) < 0 ||
        (err = snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, nullptr)) < 0 ||
        (err = snd_pcm_hw_params_set_periods_near(pcm, hw, &periods, nullptr)) < 0 ||
        (err = snd_pcm_hw_params(pcm, hw)) < 0) {
        return err;
    }
    snd_pcm_uframes_t buffer = 0;
    snd_pcm_uframes_t period = 0;
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
    if (period == 0) {
        return -EINVAL;
    }
    // Playing starts once the buffer holds whole periods; the writer wakes for a period.
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if ((err = snd_pcm_sw_params_current(pcm, sw)) < 0 ||
        (err = snd_pcm_sw_params_set_start_threshold(pcm, sw, buffer / period * period)) < 0 ||
        (err = snd_pcm_sw_params_set_avail_min(pcm, sw, period)) < 0 ||
        (err = snd_pcm_sw_params(pcm, sw)) < 0) {
        return err;
    }
    return 0;
}

class AlsaWaveSink : public WaveSink {
  public:
    ~AlsaWaveSink() override { close(); }

    bool open(const WAVEFORMATEX& format) override {
        if (const int err = snd_pcm_open(&m_pcm, "default", SND_PCM_STREAM_PLAYBACK, 0); err < 0) {
            m_pcm = nullptr;
            m_failure =
                std::string("ALSA device \"default\" cannot be opened: ") + snd_strerror(err);
            return false;
        }
        m_frameBytes = format.nBlockAlign;
        m_bytesPerSecond = format.nAvgBytesPerSec;
        if (const int err = configure(m_pcm, format); err < 0) {
            close();
            m_failure = "ALSA device \"default\" does not take 16-bit stereo at " +
                        std::to_string(format.nSamplesPerSec) + " Hz: " + snd_strerror(err);
            return false;
        }
        return true;
    }

    std::string failure() const override { return m_failure; }

    void write(const Piece& piece, const std::atomic<bool>& abort) override {
        snd_pcm_uframes_t left = piece.bytes / m_frameBytes;
        m_given += left;
        const char* p = piece.data;
        int failures = 0;
        while (left > 0 && !abort.load() && !m_broken) {
            const snd_pcm_sframes_t done = snd_pcm_writei(m_pcm, p, left);
            if (done < 0) {
                // An underrun or a suspend is recovered; a device that cannot be recovered,
                // or fails again at once every time (its sound server went away, say), is
                // given up for this opening.
                if (snd_pcm_recover(m_pcm, static_cast<int>(done), 1) < 0 || ++failures > 16) {
                    m_broken = true;
                }
                continue;
            }
            failures = 0;
            left -= static_cast<snd_pcm_uframes_t>(done);
            p += static_cast<std::size_t>(done) * m_frameBytes;
            noteHeard(left);
        }
        if (m_broken) {
            // Without a device the blocks still come back at the pace they would play, so
            // a program that does not listen for the loss carries on as if playing rather
            // than spinning.
            waitFor(left * m_frameBytes, abort);
        }
    }

    bool lost() const override { return m_broken; }

    std::uint64_t held() const override { return m_given - m_heard; }

    void interrupt() override {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_wake.notify_all();
    }

    void discard() override {
        if (m_pcm != nullptr && !m_broken) {
            snd_pcm_drop(m_pcm);
            snd_pcm_prepare(m_pcm);
        }
        m_heard = m_given;  // thrown away: nothing of it is waiting to be heard
    }

    void close() override {
        if (m_pcm != nullptr) {
            if (!m_broken) {
                snd_pcm_drain(m_pcm);
            }
            snd_pcm_close(m_pcm);
            m_pcm = nullptr;
        }
    }

  private:
    // What the device holds unplayed, asked after every write that it took: so that if it
    // goes away, what it played is known to within the time since (a period at most), and
    // the frames after are played again rather than skipped.
    void noteHeard(snd_pcm_uframes_t left) {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(m_pcm, &delay) < 0) {
            return;
        }
        const std::uint64_t taken = m_given - left;
        const std::uint64_t unplayed =
            std::min(static_cast<std::uint64_t>(std::max<snd_pcm_sframes_t>(delay, 0)), taken);
        m_heard = std::max(m_heard, taken - unplayed);
    }

    void waitFor(std::size_t bytes, const std::atomic<bool>& abort) {
        const auto length = std::chrono::microseconds(static_cast<long long>(bytes) * 1000000 /
                                                      (m_bytesPerSecond ? m_bytesPerSecond : 1));
        std::unique_lock<std::mutex> lock(m_waitMutex);
        m_wake.wait_for(lock, length, [&] { return abort.load(); });
    }

    snd_pcm_t* m_pcm = nullptr;
    std::size_t m_frameBytes = 4;
    DWORD m_bytesPerSecond = 176400;
    bool m_broken = false;      // touched by the writer thread only
    std::uint64_t m_given = 0;  // frames given to write; writer thread only
    std::uint64_t m_heard = 0;  // of them, played when last asked; writer thread only
    std::string m_failure;
    std::mutex m_waitMutex;
    std::condition_variable m_wake;
};

}  // namespace

std::unique_ptr<WaveSink> MakeAlsaWaveSink() {
    return std::make_unique<AlsaWaveSink>();
}

}  // namespace plat
