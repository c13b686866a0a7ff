// SPDX-License-Identifier: GPL-3.0-or-later
// An ALSA playback device that throws the sound away at the pace it would play, for tests
// of the real ALSA path that must not run faster than real time. ALSA's own null device
// takes frames as fast as they come, so a writer on it spins a core (FluidSynth's audio
// thread does so at real-time priority when it may), starving every other test.
//
// Loaded from the test's ALSA configuration (pcm_type.tovin_paced { lib "<this file>" }).
// A timerfd that expires once a period is the poll descriptor; the hardware position is
// the time since start in frames, never ahead of what was written. A writer that falls
// behind gets an underrun, as from a sound card.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Paced {
    snd_pcm_ioplug_t io{};
    int timer = -1;
    timespec start{};
    std::uint64_t played = 0;        // frames played since start
    snd_pcm_uframes_t position = 0;  // the same within the buffer
};

Paced& paced(snd_pcm_ioplug_t* io) {
    return *static_cast<Paced*>(io->private_data);
}

std::uint64_t framesSince(const timespec& start, unsigned rate) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t ns =
        (now.tv_sec - start.tv_sec) * 1000000000LL + (now.tv_nsec - start.tv_nsec);
    return ns <= 0 ? 0 : static_cast<std::uint64_t>(ns) * rate / 1000000000ULL;
}

void armTimer(Paced& p, bool on) {
    const long ns = on ? static_cast<long>(p.io.period_size * 1000000000ULL / p.io.rate) : 0;
    const timespec period{ns / 1000000000L, ns % 1000000000L};
    const itimerspec timing{period, period};
    timerfd_settime(p.timer, 0, &timing, nullptr);
}

int start(snd_pcm_ioplug_t* io) {
    Paced& p = paced(io);
    clock_gettime(CLOCK_MONOTONIC, &p.start);
    // A benchmark that times when frames are heard names a file for the starts: frame n
    // after a start plays n / rate seconds after it.
    if (const char* log = getenv("TOVIN_PACED_START_LOG"); log != nullptr && *log != '\0') {
        if (FILE* f = fopen(log, "a"); f != nullptr) {
            fprintf(f, "%lld\n",
                    static_cast<long long>(p.start.tv_sec) * 1000000000LL + p.start.tv_nsec);
            fclose(f);
        }
    }
    p.played = 0;
    armTimer(p, true);
    return 0;
}

int stop(snd_pcm_ioplug_t* io) {
    armTimer(paced(io), false);
    return 0;
}

int prepare(snd_pcm_ioplug_t* io) {
    Paced& p = paced(io);
    p.played = 0;
    p.position = 0;
    return 0;
}

snd_pcm_sframes_t pointer(snd_pcm_ioplug_t* io) {
    Paced& p = paced(io);
    if (io->state != SND_PCM_STATE_RUNNING && io->state != SND_PCM_STATE_DRAINING) {
        return static_cast<snd_pcm_sframes_t>(p.position);  // not playing: nothing moves
    }
    const snd_pcm_uframes_t queued = snd_pcm_ioplug_hw_avail(io, io->hw_ptr, io->appl_ptr);
    std::uint64_t advance = framesSince(p.start, io->rate) - p.played;
    if (advance > queued || (advance == queued && queued == io->buffer_size)) {
        if (io->state != SND_PCM_STATE_DRAINING) {
            return -EPIPE;  // ran dry
        }
        // Draining: play out what is left, moving less than a whole buffer per call so
        // that the position within the buffer stays unambiguous.
        advance = queued < io->buffer_size ? queued : io->buffer_size - 1;
    }
    p.played += advance;
    p.position = static_cast<snd_pcm_uframes_t>((p.position + advance) % io->buffer_size);
    return static_cast<snd_pcm_sframes_t>(p.position);
}

snd_pcm_sframes_t transfer(snd_pcm_ioplug_t*, const snd_pcm_channel_area_t*, snd_pcm_uframes_t,
                           snd_pcm_uframes_t size) {
    return static_cast<snd_pcm_sframes_t>(size);
}

int pollRevents(snd_pcm_ioplug_t* io, struct pollfd* pfd, unsigned int nfds,
                unsigned short* revents) {
    std::uint64_t expired = 0;
    while (::read(paced(io).timer, &expired, sizeof expired) > 0) {
    }
    *revents = nfds > 0 && (pfd[0].revents & POLLIN) != 0 ? POLLOUT : 0;
    return 0;
}

int closeDevice(snd_pcm_ioplug_t* io) {
    Paced* p = &paced(io);
    ::close(p->timer);
    delete p;
    return 0;
}

const snd_pcm_ioplug_callback_t kCallbacks = [] {
    snd_pcm_ioplug_callback_t c{};
    c.start = start;
    c.stop = stop;
    c.pointer = pointer;
    c.transfer = transfer;
    c.close = closeDevice;
    c.prepare = prepare;
    c.poll_revents = pollRevents;
    return c;
}();

int constrain(snd_pcm_ioplug_t* io) {
    static const unsigned accesses[] = {SND_PCM_ACCESS_RW_INTERLEAVED,
                                        SND_PCM_ACCESS_RW_NONINTERLEAVED};
    static const unsigned formats[] = {SND_PCM_FORMAT_S16_LE, SND_PCM_FORMAT_S32_LE,
                                       SND_PCM_FORMAT_FLOAT_LE};
    int err = 0;
    if ((err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_ACCESS, 2, accesses)) < 0 ||
        (err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_FORMAT, 3, formats)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_CHANNELS, 1, 8)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_RATE, 8000, 192000)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 256, 1 << 20)) <
            0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_BUFFER_BYTES, 512, 4 << 20)) <
            0) {
        return err;
    }
    return 0;
}

}  // namespace

extern "C" {

SND_PCM_PLUGIN_DEFINE_FUNC(tovin_paced) {
    (void)root;
    (void)conf;
    if (stream != SND_PCM_STREAM_PLAYBACK) {
        return -EINVAL;
    }
    auto* p = new Paced;
    p->timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (p->timer < 0) {
        delete p;
        return -errno;
    }
    p->io.version = SND_PCM_IOPLUG_VERSION;
    p->io.name = "paced null device for tests";
    p->io.callback = &kCallbacks;
    p->io.private_data = p;
    p->io.poll_fd = p->timer;
    p->io.poll_events = POLLIN;
    int err = snd_pcm_ioplug_create(&p->io, name, stream, mode);
    if (err < 0) {
        ::close(p->timer);
        delete p;
        return err;
    }
    if ((err = constrain(&p->io)) < 0) {
        snd_pcm_ioplug_delete(&p->io);
        return err;
    }
    *pcmp = p->io.pcm;
    return 0;
}

SND_PCM_PLUGIN_SYMBOL(tovin_paced);
}
