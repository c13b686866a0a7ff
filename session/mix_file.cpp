// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/mix_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <soxr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace session {
namespace {

// Decoded a piece at a time: 4096 frames of two doubles, 64 KiB, whatever the file's size.
constexpr std::size_t kChunkFrames = 4096;

std::string formatName(SNDFILE* file, int format) {
    SF_FORMAT_INFO major{};
    major.format = format & SF_FORMAT_TYPEMASK;
    SF_FORMAT_INFO minor{};
    minor.format = format & SF_FORMAT_SUBMASK;
    std::string name = sf_command(file, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0
                           ? major.name
                           : "unknown format";
    if (sf_command(file, SFC_GET_FORMAT_INFO, &minor, sizeof minor) == 0 && minor.name != nullptr) {
        name += std::string(", ") + minor.name;
    }
    return name;
}

class SndfileMix final : public MixStream {
  public:
    SndfileMix(SNDFILE* file, const SF_INFO& sf, int rate) : m_file(file), m_rate(rate) {
        m_info.format = formatName(file, sf.format);
        m_info.fileRate = sf.samplerate;
        m_info.channels = sf.channels;
        m_info.fileFrames = sf.frames;
        // libsoxr gives a whole pass round(frames * rate / fileRate) frames (halves up); each
        // pass is made exactly that long, so the loop length is known before playing.
        const auto num = static_cast<__int128>(sf.frames) * rate * 2 + sf.samplerate;
        m_info.loopFrames = std::max<std::int64_t>(
            1, static_cast<std::int64_t>(num / (2 * static_cast<__int128>(sf.samplerate))));
        m_in.resize(kChunkFrames * static_cast<std::size_t>(sf.channels));
        if (resampling()) {
            // One thread: the same output whatever the machine's cores.
            const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
            const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
            const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
            soxr_error_t error = nullptr;
            m_soxr = soxr_create(m_info.fileRate, m_rate, m_info.channels, &error, &io, &quality,
                                 &runtime);
            m_error = error != nullptr ? error : "";
        }
        startPass();
    }

    // Why the resampler could not be made ("" when it was, or is not needed).
    const std::string& Error() const { return m_error; }

    ~SndfileMix() override {
        if (m_soxr != nullptr) {
            soxr_delete(m_soxr);
        }
        sf_close(m_file);
    }

    const MixInfo& Info() const override { return m_info; }

    void Seek(std::int64_t frame) override {
        const std::int64_t target = frame % m_info.loopFrames;
        if (!resampling()) {
            // From the start of the file first: libsndfile 1.2's Ogg Vorbis seek a few
            // packets forward keeps the last packet's overlap, and the first 64 or 128
            // frames after it differ from a decoding in order.
            startPass();
            m_left = m_info.loopFrames - target;
            if (sf_seek(m_file, target, SEEK_SET) < 0) {
                m_fileDone = true;  // read as silence, as a short file is
            }
            return;
        }
        startPass();
        std::vector<double> skip(2 * kChunkFrames);
        for (std::int64_t left = target; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kChunkFrames));
            Read(skip.data(), n);
            left -= static_cast<std::int64_t>(n);
        }
    }

    void Read(double* stereo, std::size_t frames) override {
        while (frames > 0) {
            if (m_left == 0) {
                startPass();
            }
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(m_left, static_cast<std::int64_t>(frames)));
            const std::size_t got = resampling() ? resampled(stereo, want) : decoded(stereo, want);
            std::fill(stereo + 2 * got, stereo + 2 * want, 0.0);  // a file shorter than it said
            m_left -= static_cast<std::int64_t>(want);
            stereo += 2 * want;
            frames -= want;
        }
    }

  private:
    bool resampling() const { return m_info.fileRate != m_rate; }

    void startPass() {
        sf_seek(m_file, 0, SEEK_SET);
        m_left = m_info.loopFrames;
        m_fileDone = false;
        if (m_soxr != nullptr) {
            soxr_clear(m_soxr);
            m_inFrames = 0;
            m_inAt = 0;
        }
    }

    // Up to `frames` frames straight from the file; how many it had.
    std::size_t decoded(double* stereo, std::size_t frames) {
        std::size_t done = 0;
        while (done < frames && !m_fileDone) {
            const std::size_t n = std::min(kChunkFrames, frames - done);
            const sf_count_t got = sf_readf_double(m_file, m_in.data(), static_cast<sf_count_t>(n));
            if (got <= 0) {
                m_fileDone = true;
                break;
            }
            spread(m_in.data(), stereo + 2 * done, static_cast<std::size_t>(got));
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    // Up to `frames` frames of the resampled pass; how many the resampler gave.
    std::size_t resampled(double* stereo, std::size_t frames) {
        std::vector<double>& out = m_out;
        out.resize(frames * static_cast<std::size_t>(m_info.channels));
        std::size_t done = 0;
        while (done < frames && m_soxr != nullptr) {
            if (m_inAt == m_inFrames && !m_fileDone) {
                const sf_count_t got =
                    sf_readf_double(m_file, m_in.data(), static_cast<sf_count_t>(kChunkFrames));
                m_inFrames = got > 0 ? static_cast<std::size_t>(got) : 0;
                m_inAt = 0;
                m_fileDone = got <= 0;
            }
            std::size_t used = 0;
            std::size_t made = 0;
            const double* in = m_fileDone ? nullptr : m_in.data() + m_inAt * m_info.channels;
            soxr_process(m_soxr, in, m_fileDone ? 0 : m_inFrames - m_inAt, &used,
                         out.data() + done * m_info.channels, frames - done, &made);
            m_inAt += used;
            done += made;
            if (m_fileDone && made == 0) {
                break;  // flushed: the pass has no more
            }
        }
        spread(out.data(), stereo, done);
        return done;
    }

    // The file's channels as left and right.
    void spread(const double* in, double* stereo, std::size_t frames) const {
        if (m_info.channels == 2) {
            std::copy(in, in + 2 * frames, stereo);
            return;
        }
        for (std::size_t i = 0; i < frames; ++i) {
            stereo[2 * i] = stereo[2 * i + 1] = in[i];
        }
    }

    SNDFILE* m_file;
    const int m_rate;
    MixInfo m_info;
    soxr_t m_soxr = nullptr;
    std::vector<double> m_in;   // one chunk as decoded
    std::vector<double> m_out;  // the resampler's output, in the file's channels
    std::size_t m_inFrames = 0;
    std::size_t m_inAt = 0;
    bool m_fileDone = false;
    std::int64_t m_left = 0;  // frames left in this pass, at the session's rate
    std::string m_error;
};

}  // namespace

std::unique_ptr<MixStream> OpenMixFile(const std::string& path, int rate, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = nullptr;
    {
        // libsndfile tries its MPEG decoder on a file no other decoder takes, and that
        // decoder writes notes of its own to standard error ("Illegal Audio-MPEG-Header");
        // the message below says what went wrong in one line instead.
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && quiet >= 0) {
            dup2(quiet, STDERR_FILENO);
        }
        file = sf_open(path.c_str(), SFM_READ, &info);
        if (saved >= 0 && quiet >= 0) {
            dup2(saved, STDERR_FILENO);
        }
        for (const int fd : {saved, quiet}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    if (file == nullptr) {
        // The system's reason when the file cannot even be opened; otherwise libsndfile's,
        // except that for a file no decoder takes it may say the file does not exist.
        const std::string library = sf_strerror(nullptr);
        if (std::FILE* plain = std::fopen(path.c_str(), "rb")) {
            std::fclose(plain);
            error = "not a sound file that libsndfile can decode";
            if (library.find("does not exist") == std::string::npos) {
                error += " (" + library + ")";
            }
        } else {
            error = std::strerror(errno);
        }
        return nullptr;
    }
    if (info.channels > 2) {
        sf_close(file);
        error = std::to_string(info.channels) + " channels: a mix file has one or two";
        return nullptr;
    }
    if (info.frames <= 0) {
        sf_close(file);
        error = "it holds no sound";
        return nullptr;
    }
    auto mix = std::make_unique<SndfileMix>(file, info, rate);
    if (!mix->Error().empty()) {
        error = "cannot resample it: " + mix->Error();
        return nullptr;
    }
    return mix;
}

}  // namespace session
