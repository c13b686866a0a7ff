// SPDX-License-Identifier: GPL-3.0-or-later
// The mix file: streamed, looped without a gap, mono in both ears, resampled when its rate
// is not the session's, and refused with the library's reason when it cannot be read.
#include "session/mix_file.h"
#include "session/mix_ahead.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <vector>

namespace {

using namespace session;

// A 16-bit file whose frame i holds i in every channel (and -i in a second one).
std::string writeRamp(const QTemporaryDir& dir, const char* name, int rate, int channels,
                      int frames, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    const std::string path = dir.filePath(name).toStdString();
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<short> s;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            s.push_back(static_cast<short>(c == 1 ? -i : i));
        }
    }
    sf_writef_short(f, s.data(), frames);
    sf_close(f);
    return path;
}

std::vector<double> read(MixStream& mix, std::size_t frames) {
    std::vector<double> out(2 * frames);
    mix.Read(out.data(), frames);
    return out;
}

TEST(MixFile, LoopsWithoutAGapKeepsStereoPlaysMonoInBothEarsAndSeeksToNModL) {
    QTemporaryDir dir;
    for (const int channels : {1, 2}) {
        std::string error;
        const auto mix = OpenMix(writeRamp(dir, "r.wav", 44100, channels, 1000), 44100, error);
        ASSERT_TRUE(mix) << error;
        EXPECT_EQ(mix->Info().loopFrames, 1000);
        mix->Seek(2 * 1000 + 990);  // frame 990 of the third pass, then on into the fourth
        const std::vector<double> got = read(*mix, 20);
        for (int i = 0; i < 20; ++i) {
            const double v = ((990 + i) % 1000) / 32768.0;
            EXPECT_EQ(got[2 * i], v) << i;
            EXPECT_EQ(got[2 * i + 1], channels == 2 ? -v : v) << i;
        }
    }
}

TEST(MixFile, AnotherRateIsResampledToALoopOfRoundedLengthAndSeeksExactly) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("s.wav").toStdString();
    SF_INFO info{0, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> sine(22050 * 2 + 11);  // 2.0005 s of 441 Hz at 0.5
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * 441 * i / 22050.0));
    }
    sf_writef_float(f, sine.data(), static_cast<sf_count_t>(sine.size()));
    sf_close(f);
    std::string error;
    const auto mix = OpenMix(path, 48000, error);
    ASSERT_TRUE(mix) << error;
    const std::int64_t loop = mix->Info().loopFrames;
    EXPECT_EQ(loop, 96024);  // 44111 * 48000 / 22050 = 96023.95, rounded
    const std::vector<double> all = read(*mix, static_cast<std::size_t>(loop) + 2000);
    // Away from the ends the resampled sine is the same sine at the new rate.
    for (int i = 1000; i < 1100; ++i) {
        EXPECT_NEAR(all[2 * i], 0.5 * std::sin(2 * M_PI * 441 * i / 48000.0), 1e-3) << i;
    }
    mix->Seek(loop + 1500);  // the same frames as a play from the start has there
    const std::vector<double> again = read(*mix, 400);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), all.begin() + 2 * 1500));
}

// Pieces decoded side by side and handed over in order: whatever the threads, the piece
// size and the reads' lengths, frame n is the file's frame n mod L, after a Seek too.
TEST(MixFile, DecodedAheadInPiecesGivesTheFramesInOrderAfterSeeksToo) {
    QTemporaryDir dir;
    const std::string path = writeRamp(dir, "r.wav", 8000, 2, 1000);
    const struct {
        int threads;
        std::size_t piece;
        std::size_t read;
    } cases[] = {{1, 7, 3}, {3, 7, 11}, {2, 1000, 999}, {4, 333, 2048}};
    for (const auto& c : cases) {
        std::string error;
        auto open = [&] { return OpenMixFile(path, 8000, error); };
        const auto mix = ReadAhead(open(), open, c.threads, c.piece);
        for (const std::int64_t start : {std::int64_t{0}, std::int64_t{2500}, std::int64_t{17}}) {
            if (start != 0) {
                mix->Read(std::vector<double>(2 * 5).data(), 5);  // a piece under way
                mix->Seek(start);
            }
            const std::vector<double> got = read(*mix, 3 * c.read + 2);
            for (std::size_t i = 0; i < got.size() / 2; ++i) {
                const double v = static_cast<double>((start + i) % 1000) / 32768.0;
                ASSERT_EQ(got[2 * i], v) << c.threads << " " << c.piece << " at " << start + i;
                ASSERT_EQ(got[2 * i + 1], -v);
            }
        }
    }
}

// An Ogg Vorbis mix is decoded on several threads, each seeking to its pieces: the frames
// must be those of one decoding from the start, pass after pass.
TEST(MixFile, AnOggMixDecodedOnSeveralThreadsEqualsOneDecodingInOrder) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("n.ogg").toStdString();
    const int frames = 300000;  // more than two pieces
    {
        SF_INFO info{0, 8000, 2, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0, 0};
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr);
        std::vector<float> s(2 * frames);
        for (std::size_t i = 0; i < s.size(); ++i) {
            s[i] = static_cast<float>(0.4 * std::sin(0.0131 * i * (1 + i % 7)));
        }
        sf_writef_float(f, s.data(), frames);
        sf_close(f);
    }
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    std::vector<double> once(2 * static_cast<std::size_t>(info.frames));
    ASSERT_EQ(sf_readf_double(f, once.data(), info.frames), info.frames);
    sf_close(f);
    std::string error;
    auto open = [&] { return OpenMixFile(path, 8000, error); };
    // As opened, and in short pieces, where a seek lands a few packets on from where the
    // stream was: libsndfile then keeps a stale overlap unless it seeks from the start.
    for (const auto& mix : {OpenMix(path, 8000, error), ReadAhead(open(), open, 2, 7000)}) {
        ASSERT_TRUE(mix) << error;
        const auto expectFrom = [&](std::int64_t start, const std::vector<double>& got) {
            for (std::size_t i = 0; i < got.size(); ++i) {
                const auto n = static_cast<std::size_t>((start + static_cast<std::int64_t>(i / 2)) %
                                                        info.frames);
                ASSERT_EQ(got[i], once[2 * n + i % 2]) << "frame " << start + i / 2;
            }
        };
        expectFrom(0, read(*mix, 2 * static_cast<std::size_t>(info.frames) + 100));
        const std::int64_t start = 3 * info.frames - 70000;
        mix->Seek(start);
        expectFrom(start, read(*mix, 200000));
    }
}

TEST(MixFile, WhatCannotBeReadIsRefusedWithTheReason) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("text.mp3").toStdString()) << "this is not a sound\n";
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir.filePath("missing.flac").toStdString(), "No such file or directory"},
        {dir.filePath("text.mp3").toStdString(), "not a sound file that libsndfile can decode"},
        {writeRamp(dir, "q.wav", 44100, 3, 10), "3 channels: a mix file has one or two"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(OpenMix(c.path, 44100, error), nullptr) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error << " for " << c.path;
    }
}

}  // namespace
