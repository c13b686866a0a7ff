// SPDX-License-Identifier: GPL-3.0-or-later
// The voices that make their own signals, rendered from timelines laid out by hand: a bell's
// strike and halving, a spin's delay between the ears, a mix file's level and loop, and a
// square wave's samples against its series.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QTemporaryDir>
#include <cmath>
#include <vector>

#include "session/mix_ahead.h"
#include "session/noise.h"
#include "session/synth.h"

namespace {

using namespace session;
using Samples = std::vector<std::int32_t>;

Timeline single(int rate, std::int64_t end, Track track) {
    Timeline t;
    t.rate = rate;
    t.end = end;
    t.spans = {{0, end, {track}}};
    return t;
}

Samples render(const Timeline& t, std::int64_t frames, MixStream* mix = nullptr) {
    Samples out(2 * static_cast<std::size_t>(frames));
    Synth(t, 5, kPcm16, Synth::Method::Fast, mix).Render(out.data(), static_cast<int>(frames));
    return out;
}

TEST(Voices, ABellStrikesAtPhaseZeroHalvesEveryQuarterSecondAndStopsAfterFour) {
    // 500 Hz at 8000 Hz, struck at sample 80, at 0.6 of full scale.
    const VoiceState bell{500, 0, 0, 0.6};
    const Samples s =
        render(single(8000, 40000, {0, VoiceKind::Bell, bell, bell, kSine, 80}), 40000);
    for (int n = 0; n < 40000; ++n) {
        const int t = n - 80;
        const double expected = t < 0 || t >= 32000 ? 0.0
                                                    : 0.6 * std::exp2(-t / 2000.0) *
                                                          std::sin(2 * M_PI * t / 16) * 32767;
        ASSERT_NEAR(s[2 * n], expected, 1.0) << n;
        ASSERT_EQ(s[2 * n], s[2 * n + 1]) << n;  // the same in both ears
    }
    EXPECT_EQ(s[2 * (80 + 4)], static_cast<int>(0.6 * std::exp2(-4 / 2000.0) * 32767));
}

// The lag of the right ear behind the left with the largest correlation, over 2048 frames
// from `from`.
int lagOf(const Samples& s, int from) {
    int best = 0;
    double most = -1e300;
    for (int lag = -150; lag <= 150; ++lag) {
        double sum = 0;
        for (int i = from; i < from + 2048; ++i) {
            sum += static_cast<double>(s[2 * i]) * s[2 * (i + lag) + 1];
        }
        if (sum > most) {
            most = sum;
            best = lag;
        }
    }
    return best;
}

TEST(Voices, ASpinDelaysOneEarByUpToTwiceItsWidthTurningAtItsRate) {
    // W = 1000 µs at 48000 Hz: the ears are up to 2 × 48 = 96 samples apart, a turn in 2 s.
    const VoiceState spin{1000, 0.5, 0, 0.8};
    const Samples s =
        render(single(48000, 96000, {0, VoiceKind::WhiteSpin, spin, spin}), 96000 + 200);
    // φ = π/2 at 0.5 s: the left ear hears the noise 96 samples later than the right, the
    // right then leads; at 1 s they meet; at 1.5 s the other way round.
    EXPECT_NEAR(lagOf(s, 24000 - 1024), -96, 2);
    EXPECT_NEAR(lagOf(s, 48000 - 1024), 0, 2);
    EXPECT_NEAR(lagOf(s, 72000 - 1024), 96, 2);
}

// A white spin's ears sample by sample: the noise at m − d in each ear, on the straight line
// between its samples, 0 before the voice began. The delays move slowly; fast (2.5 samples a
// sample, so that eight frames' delays lie far apart); and the other way round.
TEST(Voices, ASpinsEarsAreItsNoiseAtTheirDelaysOnTheStraightLine) {
    const struct {
        int rate;
        double width;  // µs
        double turns;  // a second
    } cases[] = {{44100, 300, 4}, {8000, 10000, 40}, {48000, 2000, -7}};
    constexpr int kFrames = 6000;
    const std::uint64_t key = NoiseKey(5, 3);  // render's seed, the track's id
    const auto noise = [&](double at) {
        const double i = std::floor(at);
        const auto n = [&](double j) {
            return j < 0 ? 0.0 : WhiteValue(key, static_cast<std::uint64_t>(j));
        };
        return n(i) + (n(i + 1) - n(i)) * (at - i);
    };
    for (const auto& c : cases) {
        const VoiceState spin{c.width, c.turns, 0, 0.5};
        const Samples s =
            render(single(c.rate, kFrames, {3, VoiceKind::WhiteSpin, spin, spin}), kFrames);
        const double perMicro = c.rate * 1e-6;
        for (int m = 0; m < kFrames; ++m) {
            const double tau = c.width * std::sin(2 * M_PI * c.turns * m / c.rate);
            ASSERT_NEAR(s[2 * m], 0.5 * noise(m - (c.width + tau) * perMicro) * 32767, 1.0)
                << c.width << " µs at " << c.rate << " Hz, frame " << m;
            ASSERT_NEAR(s[2 * m + 1], 0.5 * noise(m - (c.width - tau) * perMicro) * 32767, 1.0)
                << c.width << " µs at " << c.rate << " Hz, frame " << m;
        }
    }
}

TEST(Voices, AMixFilePlaysAtItsLevelInBothChannelsAndLoops) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("m.wav").toStdString();
    SF_INFO info{0, 8000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<short> frames;
    for (int i = 0; i < 100; ++i) {
        frames.insert(frames.end(), {static_cast<short>(300 * i), static_cast<short>(-100 * i)});
    }
    sf_writef_short(f, frames.data(), 100);
    sf_close(f);
    std::string error;
    const auto mix = OpenMix(path, 8000, error);
    ASSERT_TRUE(mix) << error;
    const VoiceState at{0, 0, 0, 0.5};
    const Samples s = render(single(8000, 250, {0, VoiceKind::Mix, at, at}), 250, mix.get());
    for (int n = 0; n < 250; ++n) {  // frame n of the file is n mod 100, at half its level
        EXPECT_EQ(s[2 * n], static_cast<int>(0.5 * (300 * (n % 100) / 32768.0) * 32767)) << n;
        EXPECT_EQ(s[2 * n + 1], static_cast<int>(0.5 * (-100 * (n % 100) / 32768.0) * 32767)) << n;
    }
}

TEST(Voices, ASquareToneIsItsSeriesBelowTheLimitWithinOneStep) {
    // 440 Hz at 44100 Hz keeps the odd harmonics up to 45 (19800 Hz) in each ear.
    const VoiceState tone{440, 0, 0, 0.5};
    const Samples s =
        render(single(44100, 2000, {0, VoiceKind::Binaural, tone, tone, kSquare}), 2000);
    for (int n = 0; n < 2000; ++n) {
        double sum = 0;
        for (int k = 1; k <= 45; k += 2) {
            sum += std::sin(k * 2 * M_PI * 440 * n / 44100) / k;
        }
        ASSERT_NEAR(s[2 * n], 0.5 * 4 / M_PI * sum * 32767, 1.0) << n;
        ASSERT_EQ(s[2 * n], s[2 * n + 1]) << n;
    }
}

}  // namespace
