// SPDX-License-Identifier: GPL-3.0-or-later
// Beep's own sound: a short sine tone on ALSA's default device.
#include <alsa/asoundlib.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/alsa_tone.h"

namespace plat {

bool PlayAlsaTone(DWORD frequency, DWORD duration) {
    constexpr unsigned kRate = 44100;
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        return false;
    }
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate, 1,
                           50000) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    const std::size_t frames = static_cast<std::size_t>(kRate) * duration / 1000;
    std::vector<std::int16_t> samples(frames);
    const std::size_t fade = std::min<std::size_t>(frames / 2, kRate / 200);  // 5 ms, no click
    for (std::size_t i = 0; i < frames; ++i) {
        double gain = 0.5;
        if (i < fade) {
            gain *= static_cast<double>(i) / fade;
        } else if (frames - i <= fade) {
            gain *= static_cast<double>(frames - i) / fade;
        }
        samples[i] = static_cast<std::int16_t>(
            32767.0 * gain * std::sin(2 * std::numbers::pi * frequency * i / kRate));
    }
    const std::int16_t* p = samples.data();
    snd_pcm_uframes_t left = frames;
    while (left > 0) {
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, p, left);
        if (n < 0) {
            if (snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) {
                break;
            }
            continue;
        }
        left -= static_cast<snd_pcm_uframes_t>(n);
        p += n;
    }
    snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
    return left == 0;
}

}  // namespace plat
