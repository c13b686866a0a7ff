// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files of a render, read back through libsndfile: the samples are the synthesis',
// the header states them, and a write that fails leaves a shorter file that says so.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <tuple>
#include <vector>

#include "session/file_render.h"
#include "session/synth.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/read_file.h"

namespace {

using namespace session;
using Samples = std::vector<std::int32_t>;
using enum VoiceKind;

// A second and a half of a binaural voice over pink noise, at 44.1 kHz.
Timeline voices() {
    const VoiceState noise{0, 0, 0, 0.3};
    Timeline t;
    t.rate = 44100;
    t.end = 66150;
    t.spans = {
        {0, t.end, {{1, Pink, noise, noise}, {2, Binaural, {200, 10, 0, 0.4}, {220, 6, 0, 0.2}}}}};
    return t;
}

// What the synthesis makes, scaled as libsndfile reads any PCM file: to 32 bits.
Samples synthesis(const Timeline& t, int bits, std::int64_t frames) {
    Samples s(2 * static_cast<std::size_t>(frames));
    Synth(t, 7, bits == 24 ? kPcm24 : kPcm16).Render(s.data(), static_cast<int>(frames));
    for (std::int32_t& v : s) {
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << (bits == 24 ? 8 : 16));
    }
    return s;
}

struct ReadBack {
    SF_INFO info{};
    Samples samples;  // every frame that decodes
};

ReadBack readBack(const std::string& path) {
    ReadBack r;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &r.info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file != nullptr) {
        int block[2048];
        for (sf_count_t n; (n = sf_readf_int(file, block, 1024)) > 0;) {
            r.samples.insert(r.samples.end(), block, block + 2 * n);
        }
        sf_close(file);
    }
    return r;
}

class SoundFiles : public ::testing::Test {
  protected:
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(SoundFiles, WavAndFlacHoldTheSynthesisAndStateIt) {
    const struct {
        const char* name;
        FileFormat format;
        int bits;
        int type;  // libsndfile's format code, as read back
    } files[] = {{"a.wav", FileFormat::Wav, 16, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                 {"b.wav", FileFormat::Wav, 24, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                 {"c.flac", FileFormat::Flac, 16, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                 {"d.flac", FileFormat::Flac, 24, SF_FORMAT_FLAC | SF_FORMAT_PCM_24}};
    const Timeline t = voices();
    for (const auto& f : files) {
        // A tenth of a second past the end: silence follows.
        const FileRenderResult result =
            WriteSoundFile(t, {path(f.name), f.format, f.bits, 7, 70560, {}});
        EXPECT_EQ(result.status, FileRenderResult::Status::Complete) << f.name;
        const ReadBack r = readBack(path(f.name));
        EXPECT_EQ(std::tie(r.info.frames, r.info.samplerate, r.info.channels, r.info.format),
                  std::make_tuple(70560, 44100, 2, f.type))
            << f.name;
        EXPECT_TRUE(r.samples == synthesis(t, f.bits, 70560)) << f.name;
    }
}

TEST_F(SoundFiles, Mp3AndOpusDecodeToTheirLengthAndOpusIsTheSameBytesEveryTime) {
    Timeline t = voices();
    t.rate = 48000;  // the Opus encoder's own rate
    const struct {
        const char* name;
        FileFormat format;
        int type;
    } files[] = {{"a.mp3", FileFormat::Mp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
                 {"a.opus", FileFormat::Opus, SF_FORMAT_OGG | SF_FORMAT_OPUS}};
    for (const auto& f : files) {
        std::vector<testsupport::Bytes> bytes;
        for (const char* name : {"1", "2"}) {
            const std::string p = path(name) + f.name;
            EXPECT_EQ(WriteSoundFile(t, {p, f.format, 16, 7, 48000, {}}).status,
                      FileRenderResult::Status::Complete);
            bytes.push_back(testsupport::ReadAll(p));
        }
        // LAME reads memory it has not set while it encodes: its bytes vary from run to run.
        EXPECT_TRUE(f.format == FileFormat::Mp3 || bytes[0] == bytes[1]) << f.name;
        const ReadBack r = readBack(path("1") + f.name);
        EXPECT_EQ(r.info.format, f.type);
        EXPECT_EQ(r.info.samplerate, 48000);
        // A second of sound; an encoder may add a frame's worth of its own at either end.
        EXPECT_NEAR(static_cast<double>(r.samples.size() / 2), 48000.0, 2000.0) << f.name;
    }
}

TEST_F(SoundFiles, AFailedWriteLeavesAValidShorterFileThatSaysSo) {
    const Timeline t = voices();
    {
        const testsupport::FileSizeLimit limit(100001);
        // 100001 bytes hold the 44-byte header and 24989 whole frames of 4 bytes (99956
        // bytes); the last byte of a 25th frame is cut away.
        const FileRenderResult wav =
            WriteSoundFile(t, {path("short.wav"), FileFormat::Wav, 16, 7, 66150, {}});
        EXPECT_EQ(wav.status, FileRenderResult::Status::WriteFailed);
        EXPECT_EQ(wav.fault.error, EFBIG);
        EXPECT_EQ(wav.framesStated, 24989);
        const FileRenderResult flac =
            WriteSoundFile(t, {path("short.flac"), FileFormat::Flac, 24, 7, 66150, {}});
        EXPECT_EQ(flac.status, FileRenderResult::Status::WriteFailed);
        EXPECT_EQ(flac.fault.error, EFBIG);
    }
    EXPECT_EQ(std::filesystem::file_size(path("short.wav")), 44u + 24989u * 4u);
    const ReadBack wav = readBack(path("short.wav"));
    EXPECT_EQ(wav.info.frames, 24989);
    EXPECT_TRUE(wav.samples == synthesis(t, 16, 24989));
    // The FLAC file ends with its last whole frame; every sample in it is the synthesis'.
    const ReadBack flac = readBack(path("short.flac"));
    const Samples made = synthesis(t, 24, 66150);
    ASSERT_GT(flac.samples.size(), 20000u);
    ASSERT_LT(flac.samples.size(), made.size());
    EXPECT_TRUE(std::equal(flac.samples.begin(), flac.samples.end(), made.begin()));
}

// A cancelled render (the window's Cancel) leaves no file, from before the first write or
// after progress has been reported; one left alone is complete.
TEST_F(SoundFiles, ACancelledRenderRemovesItsFile) {
    const Timeline t = voices();
    for (const int cancelAfter : {0, 1, -1}) {
        SCOPED_TRACE(cancelAfter);
        std::atomic<bool> cancel{cancelAfter == 0};
        FileRenderJob job{path("c.wav"), FileFormat::Wav, 16, 7, 10 * 66150, {}};
        int reports = 0;
        job.progress = [&](std::int64_t) { cancel = cancel || ++reports == cancelAfter; };
        job.cancel = &cancel;
        const FileRenderResult r = WriteSoundFile(t, job);
        EXPECT_EQ(r.status, cancelAfter < 0 ? FileRenderResult::Status::Complete
                                            : FileRenderResult::Status::Cancelled);
        EXPECT_EQ(std::filesystem::exists(path("c.wav")), cancelAfter < 0);
    }
}

}  // namespace
