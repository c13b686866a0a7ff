// SPDX-License-Identifier: GPL-3.0-or-later
// The sound files, through libsndfile. libsndfile writes through our own file calls
// (its virtual I/O), so that we know exactly what reached the file and can cut it back to
// a whole unit of its format when a write fails.
#include "session/sound_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "session/ogg_serial.h"

namespace session {
namespace {

// Ogg Vorbis quality on libsndfile's scale of 0 to 1: a variable rate, about 30 kbit/s for
// tones alone and 100 with noise at 44.1 kHz, transparent for both.
constexpr double kVorbisQuality = 0.5;

class SndfileWriter final : public SoundFile {
  public:
    SndfileWriter(int fd, FileFormat format, int bits, bool large)
        : m_fd(fd), m_format(format), m_frameBytes(2 * bits / 8), m_large(large) {}

    ~SndfileWriter() override {
        if (m_file != nullptr || m_fd >= 0) {
            Close();
        }
    }

    // Lets libsndfile write the file's header. False when that fails; `writeFailed` then
    // tells a failed write from the library refusing the format.
    bool open(int rate, int bits, bool& writeFailed) {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void* self) { return static_cast<SndfileWriter*>(self)->m_size; };
        io.seek = [](sf_count_t offset, int whence, void* self) {
            return static_cast<SndfileWriter*>(self)->seek(offset, whence);
        };
        io.read = [](void* data, sf_count_t bytes, void* self) {
            return static_cast<SndfileWriter*>(self)->read(data, bytes);
        };
        io.write = [](const void* data, sf_count_t bytes, void* self) {
            return static_cast<SndfileWriter*>(self)->write(data, bytes);
        };
        io.tell = [](void* self) { return static_cast<SndfileWriter*>(self)->m_position; };
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 2;
        info.format = formatCode(bits);
        if (sf_format_check(&info) == 0) {
            m_fault.library = "the sound file format cannot take this sample rate";
            writeFailed = false;
            return false;
        }
        m_file = sf_open_virtual(&io, SFM_WRITE, &info, this);
        if (m_file == nullptr) {
            writeFailed = m_failed;
            if (!m_failed) {
                m_fault.library = sf_strerror(nullptr);
            }
            return false;
        }
        if (m_format == FileFormat::Ogg) {
            double quality = kVorbisQuality;
            sf_command(m_file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
        }
        m_dataStart = m_position;
        return true;
    }

    bool Write(const std::int16_t* frames, int count) override {
        if (m_failed || m_file == nullptr) {
            return false;
        }
        sf_writef_short(m_file, frames, count);
        return !m_failed;
    }

    bool Write(const std::int32_t* frames, int count) override {
        if (m_failed || m_file == nullptr) {
            return false;
        }
        // libsndfile's int samples fill 32 bits; a 24-bit sample is the top three bytes.
        m_scratch.resize(2 * static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < m_scratch.size(); ++i) {
            m_scratch[i] = static_cast<int>(static_cast<std::uint32_t>(frames[i]) << 8);
        }
        sf_writef_int(m_file, m_scratch.data(), count);
        return !m_failed;
    }

    bool Close() override {
        if (m_file != nullptr) {
            // Writes the header, or the encoder's last frames; after a failure only what
            // fits within the file as cut back gets written.
            sf_close(m_file);
            m_file = nullptr;
            if (!m_failed && m_format == FileFormat::Wav) {
                m_frames = (m_size - m_dataStart) / m_frameBytes;
            }
        }
        if (m_fd >= 0) {
            // A file system may report a lost write only now; the file is no longer ours
            // to cut, but the render must not be called complete.
            if (close(m_fd) != 0 && !m_failed) {
                m_failed = true;
                m_fault.error = errno;
            }
            m_fd = -1;
        }
        return !m_failed;
    }

    const FileFault& Fault() const override { return m_fault; }

    std::optional<std::int64_t> FramesStated() const override {
        if (m_format == FileFormat::Wav) {
            return m_frames;
        }
        return std::nullopt;
    }

  private:
    int formatCode(int bits) const {
        const int pcm = bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16;
        switch (m_format) {
            case FileFormat::Wav:
                return (m_large ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | pcm;
            case FileFormat::Flac:
                return SF_FORMAT_FLAC | pcm;
            case FileFormat::Ogg:
                return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            case FileFormat::Mp3:
                return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
            case FileFormat::Opus:
                return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        }
        return 0;
    }

    sf_count_t seek(sf_count_t offset, int whence) {
        const sf_count_t base = whence == SEEK_CUR ? m_position : whence == SEEK_END ? m_size : 0;
        if (base + offset < 0) {
            return -1;
        }
        m_position = base + offset;
        return m_position;
    }

    sf_count_t read(void* data, sf_count_t bytes) {
        const ssize_t n = pread(m_fd, data, static_cast<std::size_t>(bytes), m_position);
        if (n < 0) {
            return 0;
        }
        m_position += n;
        return n;
    }

    sf_count_t write(const void* data, sf_count_t bytes) {
        const sf_count_t start = m_position;
        if (m_failed && start + bytes > m_size) {
            return 0;  // the file stays as cut back: nothing may claim the space again
        }
        const auto* p = static_cast<const char*>(data);
        if ((m_format == FileFormat::Ogg || m_format == FileFormat::Opus) && bytes >= 4 &&
            std::memcmp(p, "OggS", 4) == 0) {
            m_pageStart = start;
            m_page.assign(p, p + bytes);
            if (FixOggSerial(m_page.data(), m_page.size())) {
                p = reinterpret_cast<const char*>(m_page.data());
            }
        }
        sf_count_t done = 0;
        while (done < bytes) {
            const ssize_t n =
                pwrite(m_fd, p + done, static_cast<std::size_t>(bytes - done), start + done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                fail(n < 0 ? errno : EIO, start, start + done);
                return done;
            }
            done += n;
        }
        m_position = start + done;
        m_size = std::max(m_size, m_position);
        return done;
    }

    // Records the first failure and cuts the file back to where it is whole: the last
    // whole frame after the header (WAV), the start of the FLAC frame that failed (libFLAC
    // hands over each frame in one write), or the start of the Ogg page that failed.
    void fail(int error, sf_count_t start, sf_count_t reached) {
        if (m_failed) {
            return;
        }
        m_failed = true;
        m_fault.error = error;
        sf_count_t cut = start;
        if (m_format == FileFormat::Wav) {
            cut = reached < m_dataStart || m_dataStart == 0
                      ? 0
                      : m_dataStart + (reached - m_dataStart) / m_frameBytes * m_frameBytes;
            m_frames = cut == 0 ? 0 : (cut - m_dataStart) / m_frameBytes;
        } else if (m_format == FileFormat::Ogg || m_format == FileFormat::Opus) {
            cut = m_pageStart;
        }
        // A device (/dev/full) cannot be cut, and has nothing to cut.
        if (ftruncate(m_fd, cut) == 0 || m_size > cut) {
            m_size = std::min(m_size, cut);
        }
        m_position = m_size;
    }

    int m_fd;
    const FileFormat m_format;
    const int m_frameBytes;
    const bool m_large;
    SNDFILE* m_file = nullptr;
    sf_count_t m_position = 0;
    sf_count_t m_size = 0;
    sf_count_t m_dataStart = 0;  // WAV: where the samples begin
    sf_count_t m_pageStart = 0;  // Ogg: where the latest page began
    bool m_failed = false;
    FileFault m_fault;
    std::int64_t m_frames = 0;
    std::vector<int> m_scratch;
    std::vector<unsigned char> m_page;  // Ogg: the page header being written
};

}  // namespace

std::string FileFault::Reason() const {
    return error != 0 ? std::strerror(error) : library;
}

CreatedFile CreateSoundFile(const std::string& path, FileFormat format, int rate, int bits,
                            std::int64_t frames) {
    CreatedFile created;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        created.fault.error = errno;
        return created;
    }
    // RIFF sizes count up to 4 GiB, the header's own bytes included.
    const bool large = frames > (std::int64_t{0xFFFFFFFF} - 4096) / (2 * bits / 8);
    auto writer = std::make_unique<SndfileWriter>(fd, format, bits, large);
    bool writeFailed = false;
    if (!writer->open(rate, bits, writeFailed)) {
        writer->Close();
        created.fault = writer->Fault();
        created.writeFailed = writeFailed;
        struct stat st {};
        // Refused before anything was written: nothing of ours stays behind.
        if (!writeFailed && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            unlink(path.c_str());
        }
        return created;
    }
    created.file = std::move(writer);
    return created;
}

}  // namespace session
