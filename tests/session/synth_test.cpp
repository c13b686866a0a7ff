// SPDX-License-Identifier: GPL-3.0-or-later
// The session synthesis against values worked out by hand, its noise against each colour's
// level and slope, and its fast mix against the plain reference it must equal.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <utility>
#include <vector>

#include "session/reader.h"
#include "session/sample.h"
#include "session/synth.h"

namespace {

using namespace session;
using Samples = std::vector<std::int32_t>;
using enum VoiceKind;

// A voice that holds `s` over its span.
Track steady(int id, VoiceKind kind, const VoiceState& s) {
    return {id, kind, s, s};
}

// One span from 0 to `end` (or without end).
Timeline single(int rate, std::int64_t end, std::vector<Track> tracks) {
    Timeline t;
    t.rate = rate;
    t.end = end;
    t.spans = {{0, end, std::move(tracks)}};
    return t;
}

Samples render(const Timeline& t, std::int64_t frames, const SampleFormat& format = kPcm16,
               Synth::Method method = Synth::Method::Fast, std::uint64_t seed = 0) {
    Samples out(2 * static_cast<std::size_t>(frames));
    Synth(t, seed, format, method).Render(out.data(), static_cast<int>(frames));
    return out;
}

std::vector<double> channel(const Samples& s, int ear) {
    std::vector<double> c;
    for (std::size_t i = ear; i < s.size(); i += 2) {
        c.push_back(s[i]);
    }
    return c;
}

TEST(ReferenceFrame, AddsScalesTruncatesAndClampsEachEar) {
    const double half = kPi / 2;
    struct Row {
        const char* what;
        SampleFormat format;
        std::int32_t left;
        std::int32_t right;
        std::vector<VoiceSample> voices;
    } rows[] = {
        // 0.5 × sin(π/6) × 32767 = 8191.75 → 8191; 0.5 × sin(π/2) × 32767 = 16383.5 → 16383
        {"binaural", kPcm16, 8191, 16383, {{MixForm::Ears, 0.5, kPi / 6, half, 0}}},
        // a tone at its peak is exactly full scale; below zero it truncates toward zero:
        // 0.5 × sin(-π/6) × 32767 = -8191.75 → -8191
        {"tone", kPcm16, 32767, 32767, {{MixForm::Both, 1.0, half, 0, 0}}},
        {"tone below", kPcm16, -8191, -8191, {{MixForm::Both, 0.5, -kPi / 6, 0, 0}}},
        // pulse phase π/4: gain sin² = 0.5; 0.8 × 0.5 × sin(π/2) × 32767 = 13106.8
        {"pulse on", kPcm16, 13106, 13106, {{MixForm::Pulsed, 0.8, half, kPi / 4, 0}}},
        // from π on, the pulse is off: gain 0
        {"pulse off", kPcm16, 0, 0, {{MixForm::Pulsed, 0.8, half, 1.25 * kPi, 0}}},
        // 0.5 × -0.3 × 32767 = -4915.05 → -4915
        {"noise", kPcm16, -4915, -4915, {{MixForm::Signal, 0.5, 0, 0, -0.3}}},
        // 2 × full scale clamps to the largest sample, -2 × to the smallest
        {"clamped",
         kPcm16,
         32767,
         0,
         {{MixForm::Both, 1, half, 0, 0}, {MixForm::Ears, 1, half, -half, 0}}},
        {"clamped low",
         kPcm16,
         -32768,
         -32768,
         {{MixForm::Both, 1, -half, 0, 0}, {MixForm::Both, 1, -half, 0, 0}}},
        // 0.5 × 8388607 = 4194303.5 → 4194303; 2 × full scale → 8388607
        {"24-bit", kPcm24, 4194303, 4194303, {{MixForm::Both, 0.5, half, 0, 0}}},
        {"24-bit clamped",
         kPcm24,
         8388607,
         8388607,
         {{MixForm::Signal, 1, 0, 0, 1}, {MixForm::Signal, 1, 0, 0, 1}}},
    };
    for (const Row& r : rows) {
        std::int32_t left = 1;
        std::int32_t right = 1;
        ReferenceFrame(r.voices.data(), static_cast<int>(r.voices.size()), r.format, left, right);
        EXPECT_EQ(left, r.left) << r.what;
        EXPECT_EQ(right, r.right) << r.what;
    }
}

TEST(Synth, ABinauralVoiceStartsAsItsFormulaSays) {
    // 200+10 at half scale: left 205 Hz, right 195 Hz, phase 0 at the first sample, then
    // trunc(0.5 × sin(2π f n / 44100) × 32767): left 0, 478.45, 956.50, 1433.73 and
    // right 0, 455.12, 909.89, 1363.96 for n = 0 to 3.
    const Timeline t = single(44100, kEndless, {steady(1, Binaural, {200, 10, 0, 0.5})});
    EXPECT_EQ(render(t, 4), (Samples{0, 0, 478, 455, 956, 909, 1433, 1363}));
}

// The mean frequency of a sine from its rising zero crossings (placed between samples by
// straight lines) within half a second either side of `at`, and the instant halfway between
// the first and the last crossing, where a linear slide has that frequency.
std::pair<double, double> frequencyAt(const std::vector<double>& x, int rate, double at) {
    const auto from = static_cast<std::size_t>((at - 0.5) * rate);
    const auto to = static_cast<std::size_t>((at + 0.5) * rate);
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (x[i] < 0 && x[i + 1] >= 0) {
            const double when = i + x[i] / (x[i] - x[i + 1]);
            first = first < 0 ? when : first;
            last = when;
            ++crossings;
        }
    }
    return {(crossings - 1) * rate / (last - first), (first + last) / 2 / rate};
}

TEST(Synth, EachEarFollowsASlideAsItGoes) {
    // Over 10 s the carrier slides from 100 to 300 Hz and the beat from 10 to 20 Hz: at t,
    // carrier 100 + 20 t and beat 10 + t, so left = carrier + beat / 2 = 105 + 20.5 t and
    // right = carrier - beat / 2 = 95 + 19.5 t (156.25 and 143.75 Hz at 2.5 s, for one).
    const int rate = 8000;
    const Timeline t =
        single(rate, 10 * rate, {{1, Binaural, {100, 10, 0, 0.5}, {300, 20, 0, 0.5}}});
    const Samples s = render(t, 10 * rate);
    for (double at : {1.0, 2.5, 5.0, 7.5, 9.0}) {
        const auto [left, leftAt] = frequencyAt(channel(s, 0), rate, at);
        const auto [right, rightAt] = frequencyAt(channel(s, 1), rate, at);
        EXPECT_NEAR(left, 105 + 20.5 * leftAt, 0.01) << at;
        EXPECT_NEAR(right, 95 + 19.5 * rightAt, 0.01) << at;
    }
}

TEST(Synth, AnIsochronicPulseIsSineSquaredThenSilent) {
    // 1000 Hz pulsed once a second at 0.8: within ±1 ms of t the peak is
    // 0.8 × sin²(2π t) × 32767 while 2π t < π, then exactly nothing.
    const int rate = 44100;
    const Timeline t = single(rate, 2 * rate, {steady(1, Isochronic, {1000, 0, 1, 0.8})});
    const std::vector<double> x = channel(render(t, 2 * rate), 0);
    const struct {
        double at;
        double peak;
    } instants[] = {{0.125, 13106.8}, {0.25, 26213.6}, {0.375, 13106.8},
                    {0.6, 0},         {0.95, 0},       {1.25, 26213.6}};
    for (const auto& i : instants) {
        double peak = 0;
        for (int n = static_cast<int>((i.at - 0.001) * rate); n < (i.at + 0.001) * rate; ++n) {
            peak = std::max(peak, std::abs(x[n]));
        }
        EXPECT_NEAR(peak, i.peak, 0.02 * i.peak) << i.at;
    }
}

// Power at `hz` from Hann-windowed 0.2 s segments, averaged over the segments and over nine
// DFT bins two apart around it (5 Hz apart at 44.1 kHz, so nearly independent).
double powerAt(const std::vector<double>& x, int rate, int hz) {
    const int n = rate / 5;
    const int centre = hz / 5;
    double total = 0;
    for (int k = centre - 8; k <= centre + 8; k += 2) {
        std::vector<std::complex<double>> basis(n);
        for (int i = 0; i < n; ++i) {
            basis[i] =
                (0.5 - 0.5 * std::cos(2 * kPi * i / n)) * std::polar(1.0, -2 * kPi * k * i / n);
        }
        for (std::size_t start = 0; start + n <= x.size(); start += n) {
            std::complex<double> sum = 0;
            for (int i = 0; i < n; ++i) {
                sum += x[start + i] * basis[i];
            }
            total += std::norm(sum);
        }
    }
    return total;
}

TEST(Noise, EachColourHasItsLevelAndSlope) {
    // At a quarter of full scale the RMS level is 0.25 × 32767 × 0.577 (white, uniform
    // within ±1: 1/√3) = 4729.6, × 0.154 (pink) = 1261.5, × 0.0744 (brown) = 609.5.
    // Two octaves apart the power falls by 0 (white), 6 (pink) or 12 dB (brown).
    // 42 s give about 1900 independent band estimates each: 0.1 dB of spread, and the
    // filters follow their slopes to within 0.1 dB between 300 Hz and 4.8 kHz.
    const int rate = 44100;
    const struct {
        VoiceKind colour;
        double rms;
        double dbPerTwoOctaves;
    } colours[] = {{White, 4729.6, 0}, {Pink, 1261.5, -6}, {Brown, 609.5, -12}};
    for (const auto& c : colours) {
        const std::int64_t frames = 42LL * rate;
        const Timeline t = single(rate, frames, {steady(1, c.colour, {0, 0, 0, 0.25})});
        const std::vector<double> x = channel(render(t, frames), 0);
        double sum = 0;
        for (double v : x) {
            sum += v * v;
        }
        EXPECT_NEAR(std::sqrt(sum / x.size()), c.rms, 0.03 * c.rms);
        const double p300 = powerAt(x, rate, 300);
        const double p1200 = powerAt(x, rate, 1200);
        const double p4800 = powerAt(x, rate, 4800);
        EXPECT_NEAR(10 * std::log10(p1200 / p300), c.dbPerTwoOctaves, 0.5);
        EXPECT_NEAR(10 * std::log10(p4800 / p1200), c.dbPerTwoOctaves, 0.5);
    }
}

// An ear may be 0 Hz (silence) or below 0 (its sine running backwards). At 8000 Hz an ear of
// ±2000 Hz steps its phase by ±π/2: 0, π/2, π, 3π/2 forwards, 0, 3π/2, π, π/2 backwards,
// and 0.5 × ±1 × 32767 = ±16383.5 truncates to ±16383; sin π is about 1e-16, which is 0.
TEST(Synth, AnEarAtZeroIsSilentAndANegativeOneRunsBackwards) {
    const struct {
        const char* voices;
        Samples frames;  // the first four frames (left, right), then again
    } rows[] = {{"0+4000/50", {0, 0, 16383, -16383, 0, 0, -16383, 16383}},
                {"0-4000/50", {0, 0, -16383, 16383, 0, 0, 16383, -16383}},
                {"0+0/0 0/50", {0, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& r : rows) {
        const auto read = ReadTones(r.voices);
        ASSERT_TRUE(read.session) << read.problems.at(0).text;
        const Timeline t = BuildTimeline(*read.session, 8000);
        for (const auto method : {Synth::Method::Fast, Synth::Method::Plain}) {
            const Samples got = render(t, 8000, kPcm16, method);
            for (std::size_t i = 0; i < got.size(); ++i) {
                ASSERT_EQ(got[i], r.frames[i % 8]) << r.voices << " at " << i;
            }
        }
    }
}

// At these levels no voice passes A/100 of full scale, so sets whose amplitudes add up to
// 100 never reach the clamp at -32768 (a full-scale sum is -32767).
TEST(Noise, ASetWhoseAmplitudesAddUpTo100NeverClips) {
    for (const char* set :
         {"white/100", "pink/50 brown/50", "white/40 pink/30 brown/20 200+10/10"}) {
        const auto read = ReadTones(set);
        ASSERT_TRUE(read.session);
        const Samples s = render(BuildTimeline(*read.session, 44100), 20 * 44100);
        EXPECT_GE(*std::min_element(s.begin(), s.end()), -32767) << set;
    }
}

// Every kind of voice: a crossfade (a binaural voice fading out as an isochronic one fades
// in, pink noise going on), then a slide, then silence after the end.
Timeline everything() {
    const VoiceState off;
    const VoiceState spin{500, 2, 0, .1};
    const VoiceState bell{700, 0, 0, .2};
    const Track struck{8, Bell, bell, bell, kSine, 3000};  // rings on into the next span
    const std::vector<Track> crossfade = {{1, Pink, {0, 0, 0, 0.3}, {0, 0, 0, 0.2}},
                                          {2, Binaural, {200, 10, 0, 0.4}, {200, 10, 0, 0}},
                                          {3, Isochronic, {300, 0, 8, 0}, {300, 0, 8, .3}},
                                          {4, Brown, off, {0, 0, 0, 0.2}},
                                          steady(7, WhiteSpin, spin),
                                          {9, Binaural, {220, 6, 0, .1}, {220, 6, 0, .1}, kSquare},
                                          struck};
    const std::vector<Track> slide = {steady(1, Pink, {0, 0, 0, 0.2}),
                                      {3, Isochronic, {300, 0, 8, .3}, {450, 0, 3, .1}},
                                      {5, Tone, {150, 0, 0, 0.3}, {99, 0, 0, 0.3}},
                                      {6, White, {0, 0, 0, 0.1}, off},
                                      {7, WhiteSpin, spin, {2000, -3, 0, .05}},
                                      {9, Binaural, {220, 6, 0, .1}, {330, 9, 0, .1}, kSquare},
                                      {10, Isochronic, {300, 0, 5, .1}, {300, 0, 5, .1}, kTriangle},
                                      struck};
    Timeline t = single(44100, 30000, {});
    t.spans = {{0, 12000, crossfade}, {12000, 30000, slide}};
    return t;
}

TEST(Synth, BlockSizesStartsAndThreadsLeaveTheSamplesAsTheyAre) {
    const Timeline t = everything();
    const Samples whole = render(t, 40000);
    EXPECT_EQ(render(t, 40000), whole) << "the same seed, the same samples";
    EXPECT_NE(render(t, 40000, kPcm16, Synth::Method::Fast, 1), whole) << "another seed";
    for (int block : {1, 7, 511, 512, 513, 4096}) {
        Synth synth(t, 0, kPcm16);
        Samples pieces(whole.size());
        for (int at = 0; at < 40000; at += block) {
            synth.Render(&pieces[2 * at], std::min(block, 40000 - at));
        }
        EXPECT_EQ(pieces, whole) << "in blocks of " << block;
    }
    for (int start : {1, 511, 11999, 12000, 12345, 29999, 35000}) {
        Synth synth(t, 0, kPcm16);
        synth.Render(Samples(2000).data(), 1000);  // a seek back starts again from 0
        synth.Seek(start);
        Samples rest(2 * static_cast<std::size_t>(40000 - start));
        synth.Render(rest.data(), 40000 - start);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + 2 * start))
            << "from " << start;
    }
    Synth synth(t, 0, kPcm16);
    SynthBlock block;
    Samples halves(whole.size());
    for (int at = 0; at < 40000; at += 3000) {
        synth.Prepare(block, std::min(3000, 40000 - at));
        Synth::Finish(block, &halves[2 * at]);
    }
    EXPECT_EQ(halves, whole) << "prepared and finished apart";
}

// A seek moves on from the checkpoint at or before it, which the synthesis keeps every
// kCheckpointSpacing frames as it passes: seeks ahead past several, back, and to either side
// of one must give the render's samples, with the checkpoints thinned to fit a small limit
// as well, and with checkpoints made by another synthesis and handed over (its noise and
// spin runs then read this one's shapes).
// The slide runs over three checkpoints, a span starts on the second, and a bell rings over
// the third.
TEST(Synth, SeeksFromCheckpointsLeaveTheSamplesAsTheyAre) {
    constexpr std::int64_t c = Synth::kCheckpointSpacing;
    Timeline t = everything();
    t.end = 3 * c + 5000;
    t.spans.back().end = 2 * c;
    t.spans.push_back({2 * c, t.end, t.spans.back().tracks});
    t.spans.back().tracks.back().id = 11;
    t.spans.back().tracks.back().strike = 3 * c - 1000;
    const std::int64_t length = t.end + 2000;
    const Samples whole = render(t, length);
    for (const auto& [limit, handed] :
         {std::pair{Synth::kCheckpointLimit, false}, std::pair{std::size_t{100} << 10, false},
          std::pair{Synth::kCheckpointLimit, true}}) {
        Synth synth(t, 0, kPcm16);
        synth.LimitCheckpoints(limit);
        if (handed) {
            auto maker = std::make_unique<Synth>(t, 0, kPcm16);
            maker->Seek(t.end);
            synth.AddCheckpoints(maker->TakeCheckpoints());
            EXPECT_EQ(maker->Checkpoints().count, 0u) << "taken, not copied";
            maker.reset();  // nothing of the maker may be read from here on
            ASSERT_EQ(synth.Checkpoints().count, 3u);
        }
        // Handed: each seek restores a handed checkpoint and moves on one frame from it.
        const std::vector<std::int64_t> targets =
            handed ? std::vector<std::int64_t>{3 * c + 1, c + 1, 2 * c + 1}
                   : std::vector<std::int64_t>{3 * c - 1, 12345,     c + 1, 2 * c,
                                               2 * c - 1, 3 * c + 1, c,     t.end + 1000,
                                               c - 1,     2 * c + 1, 0,     3 * c};
        for (const std::int64_t at : targets) {
            synth.Seek(at);
            const auto frames = static_cast<int>(std::min<std::int64_t>(3000, length - at));
            Samples got(2 * static_cast<std::size_t>(frames));
            synth.Render(got.data(), frames);
            EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + 2 * at))
                << "at " << at << " within " << limit << " bytes" << (handed ? ", handed" : "");
        }
    }
}

TEST(Synth, TheFastMixMakesExactlyTheReferenceSamples) {
    // A tone at a quarter of the rate at full scale lands on whole samples (0, ±32767)
    // again and again: every one of those frames must come from the reference.
    const Timeline quarter = single(8000, kEndless, {steady(1, Tone, {2000, 0, 0, 1})});
    Timeline hour = everything();
    hour.end = 2000000;
    hour.spans.back().end = hour.end;
    hour.spans.back().tracks.resize(4);  // the sines' and noises' long slide alone
    const Timeline loud =
        single(44100, kEndless, {steady(1, White, {0, 0, 0, .9}), steady(2, Tone, {50, 0, 0, .9})});
    const struct {
        const char* what;
        Timeline timeline;
        std::int64_t frames;
    } cases[] = {{"every kind", everything(), 40000},
                 {"a long slide", hour, 2000000},
                 {"whole samples", quarter, 100000},
                 {"clamped", loud, 100000}};
    for (const auto& c : cases) {
        for (const SampleFormat& format : {kPcm16, kPcm24}) {
            EXPECT_EQ(render(c.timeline, c.frames, format),
                      render(c.timeline, c.frames, format, Synth::Method::Plain))
                << c.what << " at " << format.fullScale;
        }
    }
}

}  // namespace
