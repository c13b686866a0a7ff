// The session synthesis against values worked out by hand from its definition, its noise
// against the levels and slopes asked of each colour, and its fast mix against the plain
// reference it must equal.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "session/sample.h"
#include "session/synth.h"

namespace {

using namespace session;
using Samples = std::vector<std::int32_t>;

VoiceState state(double carrier, double beat, double pulse, double amplitude) {
    VoiceState s;
    s.carrier = carrier;
    s.beat = beat;
    s.pulse = pulse;
    s.amplitude = amplitude;
    return s;
}

Track track(int id, VoiceKind kind, const VoiceState& from, const VoiceState& to) {
    Track t;
    t.id = id;
    t.kind = kind;
    t.from = from;
    t.to = to;
    return t;
}

// One span from 0 to `end` (or without end).
Timeline single(int rate, std::int64_t end, std::vector<Track> tracks) {
    Timeline t;
    t.rate = rate;
    t.end = end;
    t.spans.push_back({0, end, std::move(tracks)});
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
        std::vector<VoiceSample> voices;
        SampleFormat format;
        std::int32_t left;
        std::int32_t right;
    } rows[] = {
        // 0.5 × sin(π/6) × 32767 = 8191.75 → 8191; 0.5 × sin(π/2) × 32767 = 16383.5 → 16383
        {"binaural", {{VoiceKind::Binaural, 0.5, kPi / 6, half, 0}}, kPcm16, 8191, 16383},
        // a tone at its peak is exactly full scale; below zero it truncates toward zero:
        // 0.5 × sin(-π/6) × 32767 = -8191.75 → -8191
        {"tone", {{VoiceKind::Tone, 1.0, half, 0, 0}}, kPcm16, 32767, 32767},
        {"tone below", {{VoiceKind::Tone, 0.5, -kPi / 6, 0, 0}}, kPcm16, -8191, -8191},
        // pulse phase π/4: gain sin² = 0.5; 0.8 × 0.5 × sin(π/2) × 32767 = 13106.8
        {"pulse on", {{VoiceKind::Isochronic, 0.8, half, kPi / 4, 0}}, kPcm16, 13106, 13106},
        // from π on, the pulse is off: gain 0
        {"pulse off", {{VoiceKind::Isochronic, 0.8, half, 1.25 * kPi, 0}}, kPcm16, 0, 0},
        // 0.5 × -0.3 × 32767 = -4915.05 → -4915
        {"noise", {{VoiceKind::Pink, 0.5, 0, 0, -0.3}}, kPcm16, -4915, -4915},
        // 2 × full scale clamps to the largest sample, -2 × to the smallest
        {"clamped",
         {{VoiceKind::Tone, 1.0, half, 0, 0}, {VoiceKind::Binaural, 1.0, half, -half, 0}},
         kPcm16,
         32767,
         0},
        {"clamped low",
         {{VoiceKind::Tone, 1.0, -half, 0, 0}, {VoiceKind::Tone, 1.0, -half, 0, 0}},
         kPcm16,
         -32768,
         -32768},
        // 0.5 × 8388607 = 4194303.5 → 4194303; 2 × full scale → 8388607
        {"24-bit", {{VoiceKind::Tone, 0.5, half, 0, 0}}, kPcm24, 4194303, 4194303},
        {"24-bit clamped",
         {{VoiceKind::White, 1.0, 0, 0, 1.0}, {VoiceKind::White, 1.0, 0, 0, 1.0}},
         kPcm24,
         8388607,
         8388607},
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
    const Timeline t =
        single(44100, kEndless,
               {track(1, VoiceKind::Binaural, state(200, 10, 0, 0.5), state(200, 10, 0, 0.5))});
    EXPECT_EQ(render(t, 4), (Samples{0, 0, 478, 455, 956, 909, 1433, 1363}));
}

// The mean frequency of a sine from its rising zero crossings (placed between samples by
// straight lines) within `seconds` around `at`, and the instant halfway between the first
// and the last crossing, where a linear slide has that frequency.
std::pair<double, double> frequencyAt(const std::vector<double>& x, int rate, double at,
                                      double seconds) {
    const auto from = static_cast<std::size_t>((at - seconds / 2) * rate);
    const auto to = static_cast<std::size_t>((at + seconds / 2) * rate);
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
        single(rate, 10 * rate,
               {track(1, VoiceKind::Binaural, state(100, 10, 0, 0.5), state(300, 20, 0, 0.5))});
    const Samples s = render(t, 10 * rate);
    for (double at : {1.0, 2.5, 5.0, 7.5, 9.0}) {
        const auto [left, leftAt] = frequencyAt(channel(s, 0), rate, at, 1.0);
        const auto [right, rightAt] = frequencyAt(channel(s, 1), rate, at, 1.0);
        EXPECT_NEAR(left, 105 + 20.5 * leftAt, 0.01) << at;
        EXPECT_NEAR(right, 95 + 19.5 * rightAt, 0.01) << at;
    }
}

TEST(Synth, AnIsochronicPulseIsSineSquaredThenSilent) {
    // 1000 Hz pulsed once a second at 0.8: within ±1 ms of t the peak is
    // 0.8 × sin²(2π t) × 32767 while 2π t < π, then exactly nothing.
    const int rate = 44100;
    const Timeline t =
        single(rate, 2 * rate,
               {track(1, VoiceKind::Isochronic, state(1000, 0, 1, 0.8), state(1000, 0, 1, 0.8))});
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

TEST(Noise, EachColourHasTheLevelOfASineAndItsSlope) {
    // At a quarter of full scale the RMS level is that of a sine: 0.25 / √2 × 32767 =
    // 5792.6. Two octaves apart the power falls by 0 (white), 6 (pink) or 12 dB (brown).
    // 42 s give about 1900 independent band estimates each: 0.1 dB of spread, and the
    // filters follow their slopes to within 0.1 dB between 300 Hz and 4.8 kHz.
    const int rate = 44100;
    const struct {
        VoiceKind colour;
        double dbPerTwoOctaves;
    } colours[] = {{VoiceKind::White, 0}, {VoiceKind::Pink, -6}, {VoiceKind::Brown, -12}};
    for (const auto& c : colours) {
        const std::int64_t frames = 42LL * rate;
        const Timeline t =
            single(rate, frames, {track(1, c.colour, state(0, 0, 0, 0.25), state(0, 0, 0, 0.25))});
        const std::vector<double> x = channel(render(t, frames), 0);
        double sum = 0;
        for (double v : x) {
            sum += v * v;
        }
        EXPECT_NEAR(std::sqrt(sum / x.size()), 5792.6, 0.03 * 5792.6);
        const double p300 = powerAt(x, rate, 300);
        const double p1200 = powerAt(x, rate, 1200);
        const double p4800 = powerAt(x, rate, 4800);
        EXPECT_NEAR(10 * std::log10(p1200 / p300), c.dbPerTwoOctaves, 0.5);
        EXPECT_NEAR(10 * std::log10(p4800 / p1200), c.dbPerTwoOctaves, 0.5);
    }
}

// Every kind of voice: a crossfade (a binaural voice fading out as an isochronic one fades
// in, pink noise going on), then a slide, then silence after the end.
Timeline everything() {
    Timeline t;
    t.rate = 44100;
    t.end = 30000;
    const VoiceState off = state(0, 0, 0, 0);
    t.spans.push_back({0,
                       12000,
                       {track(1, VoiceKind::Pink, state(0, 0, 0, 0.3), state(0, 0, 0, 0.2)),
                        track(2, VoiceKind::Binaural, state(200, 10, 0, 0.4), state(200, 10, 0, 0)),
                        track(3, VoiceKind::Isochronic, state(300, 0, 8, 0), state(300, 0, 8, .3)),
                        track(4, VoiceKind::Brown, off, state(0, 0, 0, 0.2))}});
    t.spans.push_back({12000,
                       30000,
                       {track(1, VoiceKind::Pink, state(0, 0, 0, 0.2), state(0, 0, 0, 0.2)),
                        track(3, VoiceKind::Isochronic, state(300, 0, 8, .3), state(450, 0, 3, .1)),
                        track(5, VoiceKind::Tone, state(150, 0, 0, 0.3), state(99, 0, 0, 0.3)),
                        track(6, VoiceKind::White, state(0, 0, 0, 0.1), off)}});
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

TEST(Synth, TheFastMixMakesExactlyTheReferenceSamples) {
    // A tone at a quarter of the rate at full scale lands on whole samples (0, ±32767)
    // again and again: every one of those frames must come from the reference.
    const Timeline quarter = single(
        8000, kEndless, {track(1, VoiceKind::Tone, state(2000, 0, 0, 1), state(2000, 0, 0, 1))});
    Timeline hour = everything();
    hour.end = 2000000;
    hour.spans.back().end = hour.end;
    const Timeline loud =
        single(44100, kEndless,
               {track(1, VoiceKind::White, state(0, 0, 0, .9), state(0, 0, 0, .9)),
                track(2, VoiceKind::Tone, state(50, 0, 0, .9), state(50, 0, 0, .9))});
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
