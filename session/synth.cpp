// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/synth.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "session/fast_mix.h"
#include "session/mix_file.h"
#include "session/noise.h"
#include "session/vector_lanes.h"
#include "session/voice_kind.h"
#include "session/voice_signals.h"
#include "session/waveform.h"

namespace session {
namespace {

// A value that moves linearly over a span: base + slope × k at the span's position k
// (the sample index less the span's first), with slope = (to - from) / (end - begin).
struct Ramp {
    double base = 0.0;
    double slope = 0.0;
    double at(double k) const { return base + slope * k; }
};

Ramp ramp(double from, double to, const Span& span) {
    // An endless span holds its values.
    if (span.end == kEndless) {
        return {from, 0.0};
    }
    return {from, (to - from) / static_cast<double>(span.end - span.begin)};
}

// One phase's move to the next sample: the wrap takes 2π away once, when the phase has
// reached it, or adds it once when a negative frequency's step took it below 0. Steps stay
// below π in size (frequencies below half the rate), so one wrap always brings it back.
// Backward (some step may be below 0) adds the second test, which the usual path, every
// frequency above 0, is spared: the phases are the render's longest chain.
template <bool Backward = true>
__attribute__((always_inline)) inline double nextPhase(double phase, double step) {
    phase += step;
    // Rare (once a period): laid out so that the usual path takes no jump.
    if (__builtin_expect(phase >= kTwoPi, 0)) {
        phase -= kTwoPi;
    } else if (Backward && __builtin_expect(phase < 0.0, 0)) {
        phase += kTwoPi;
    }
    return phase;
}

// What a voice carries from sample to sample, and from span to span while its track id
// stays the same.
struct VoiceRun {
    int id = -1;
    double phaseA = 0.0;
    double phaseB = 0.0;
    NoiseRun noise;
    SpinRun spin;
    BellRing bell;
};

// The state at a multiple of the checkpoint spacing: enough to lay the span out again as
// it was. `fast` is kept rather than judged again, as its judgement reads the phases at
// the span's start.
struct Checkpoint {
    std::size_t span = 0;
    std::vector<VoiceRun> runs;
    bool fast = false;
    double guard = 0.0;
    std::size_t bytes = 0;
};

// A voice over the current span.
struct LiveVoice {
    VoiceKind kind = VoiceKind::None;
    MixForm form = MixForm::Both;   // as it enters the mix: a wave's tone gives a signal
    MixForm shape = MixForm::Both;  // its kind's form, which a wave's tone is drawn in
    Source source = Source::Phases;
    VoiceKind colour = VoiceKind::None;
    const Waveform* wave = nullptr;  // a tone drawn with another wave than the sine
    Ramp amplitude;
    Ramp frequencyA;  // its kind's PhaseRates: a
    Ramp frequencyB;  // and b
    Ramp width;       // a spin's W, in microseconds
    int phases = 0;   // how many phases it carries as chains: 0, 1 or 2
    std::size_t run = 0;
};

// A wave's tone at one sample, from the phases before the step and the frequencies of that
// step: both ears of a binaural voice, the one value of a plain or isochronic one.
void waveTerms(const LiveVoice& v, double phaseA, double phaseB, double k, double limit,
               double& left, double& right) {
    const double fA = v.frequencyA.at(k);
    left = v.wave->Value(phaseA, Waveform::Harmonics(fA, limit));
    switch (v.shape) {
        case MixForm::Ears:
            right = v.wave->Value(phaseB, Waveform::Harmonics(v.frequencyB.at(k), limit));
            break;
        case MixForm::Pulsed: {
            const double s = std::sin(phaseB);
            left = (phaseB < kPi ? s * s : 0.0) * left;
            right = left;
            break;
        }
        default:
            right = left;
            break;
    }
}

// One phase over a block: where it is kept, its frequency, and which of a piece's rows of
// values takes its value before each step.
struct Chain {
    double* phase;
    const Ramp* frequency;
    int row;
};

// The phases are a chain of roundings, each from the one before, so each one advances
// sample by sample; advancing several side by side lets the processor overlap them.
// k0 is the span position of the first frame; w turns hertz into radians per sample. When
// no frequency in the group slides, each step is the same all along: with slope 0,
// base + slope × k is base itself (frequencies are never -0), the value computed once.
template <int N, bool Store, bool Sliding, bool Backward>
__attribute__((always_inline)) inline void advanceGroup(const Chain* chains, double k0, double w,
                                                        int frames, double* values) {
    double phase[N];
    Ramp frequency[N];
    double step[N];
    double* out[N];
    for (int j = 0; j < N; ++j) {
        phase[j] = *chains[j].phase;
        frequency[j] = *chains[j].frequency;
        step[j] = frequency[j].at(k0) * w;
        out[j] = Store ? values + chains[j].row * kMixBlock : nullptr;
    }
    double k = k0;
    for (int i = 0; i < frames; ++i, k += 1.0) {
#pragma GCC unroll 4
        for (int j = 0; j < N; ++j) {
            if constexpr (Store) {
                out[j][i] = phase[j];
            }
            if constexpr (Sliding) {
                step[j] = frequency[j].at(k) * w;
            }
            phase[j] = nextPhase<Backward>(phase[j], step[j]);
        }
    }
    for (int j = 0; j < N; ++j) {
        *chains[j].phase = phase[j];
    }
}

// Whether any of `n` phases slides over the block, and whether any may step backwards: a
// frequency moves linearly, so the block's ends bound it.
struct Motion {
    bool sliding = false;
    bool backward = false;
};

inline Motion motionOf(const Chain* chains, int n, double k0, int frames) {
    Motion m;
    for (int j = 0; j < n; ++j) {
        const Ramp& f = *chains[j].frequency;
        m.sliding = m.sliding || f.slope != 0.0;
        m.backward = m.backward || f.at(k0) < 0.0 || f.at(k0 + frames - 1) < 0.0;
    }
    return m;
}

template <int N, bool Store>
__attribute__((always_inline)) inline void advanceGroup(const Chain* chains, double k0, double w,
                                                        int frames, double* values) {
    const auto [sliding, backward] = motionOf(chains, N, k0, frames);
    if (backward) {
        advanceGroup<N, Store, true, true>(chains, k0, w, frames, values);
    } else if (sliding) {
        advanceGroup<N, Store, true, false>(chains, k0, w, frames, values);
    } else {
        advanceGroup<N, Store, false, false>(chains, k0, w, frames, values);
    }
}

// Keeps each phase before each step in `values` when Store. Up to eight phases go in one
// loop, so that their chains overlap rather than follow one another.
template <bool Store, int N = 1>
__attribute__((always_inline)) inline void advanceRest(const Chain* chains, int count, double k0,
                                                       double w, int frames, double* values) {
    if constexpr (N <= 8) {
        if (count == N) {
            advanceGroup<N, Store>(chains, k0, w, frames, values);
        } else {
            advanceRest<Store, N + 1>(chains, count, k0, w, frames, values);
        }
    }
}

template <bool Store>
__attribute__((always_inline)) inline void advanceAll(const Chain* chains, int count, double k0,
                                                      double w, int frames, double* values) {
    for (; count > 8; count -= 8, chains += 8) {
        advanceGroup<8, Store>(chains, k0, w, frames, values);
    }
    advanceRest<Store>(chains, count, k0, w, frames, values);
}

using Advance = void (*)(const Chain*, int, double, double, int, double*);

template <bool Store>
void advanceBaseline(const Chain* chains, int count, double k0, double w, int frames,
                     double* values) {
    advanceAll<Store>(chains, count, k0, w, frames, values);
}

// Up to eight phases as the lanes of one vector, each lane doing what nextPhase does: the
// wrap, rare, is a jump the processor predicts, so each step waits on one addition alone.
// With Store, eight frames at a time are turned from lanes into rows.
template <bool Store, bool Sliding, bool Backward>
__attribute__((always_inline, target("avx512f,avx512dq"))) inline void advanceLanes(
    const Chain* chains, int n, double k0, double w, int frames, double* values) {
    // Through arrays: a vector whose lanes are named one by one stays in memory, and the
    // chains would wait on it there.
    alignas(64) double start[3][8] = {};
    double* rows[8] = {};
    for (int j = 0; j < n; ++j) {
        start[0][j] = *chains[j].phase;
        start[1][j] = chains[j].frequency->base;
        start[2][j] = chains[j].frequency->slope;
        rows[j] = Store ? values + chains[j].row * kMixBlock : nullptr;
    }
    V8d phase;
    V8d base;
    V8d slope;
    __builtin_memcpy(&phase, start[0], sizeof phase);
    __builtin_memcpy(&base, start[1], sizeof base);
    __builtin_memcpy(&slope, start[2], sizeof slope);
    V8d step = (base + slope * k0) * w;
    double k = k0;
    for (int i = 0; i < frames; i += 8) {
        V8d kept[8];
        const int m = frames - i < 8 ? frames - i : 8;
        for (int q = 0; q < m; ++q, k += 1.0) {
            kept[q] = phase;
            if constexpr (Sliding) {
                step = (base + slope * k) * w;
            }
            const V8d next = phase + step;
            const __m512d v = reinterpret_cast<__m512d>(next);
            __mmask8 wrap = _mm512_cmp_pd_mask(v, _mm512_set1_pd(kTwoPi), _CMP_GE_OQ);
            if constexpr (Backward) {
                wrap |= _mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_LT_OQ);
            }
            phase = next;
            if (__builtin_expect(wrap != 0, 0)) {
                phase = next >= kTwoPi           ? next - kTwoPi
                        : Backward && next < 0.0 ? next + kTwoPi
                                                 : next;
            }
        }
        if constexpr (Store) {
            for (int q = m; q < 8; ++q) {
                kept[q] = phase;  // past the last frame: read by nobody
            }
            V8d t[8];
            Transpose8(kept, t);
            // Rows hold kMixBlock values, so a whole vector fits past the last frame.
            for (int j = 0; j < n; ++j) {
                __builtin_memcpy(rows[j] + i, &t[j], sizeof t[j]);
            }
        }
    }
    __builtin_memcpy(start[0], &phase, sizeof phase);
    for (int j = 0; j < n; ++j) {
        *chains[j].phase = start[0][j];
    }
}

template <bool Store>
__attribute__((target("avx512f,avx512dq"))) void advanceAvx512(const Chain* chains, int count,
                                                               double k0, double w, int frames,
                                                               double* values) {
    for (; count > 0; count -= 8, chains += 8) {
        const int n = count < 8 ? count : 8;
        const auto [sliding, backward] = motionOf(chains, n, k0, frames);
        if (backward) {
            advanceLanes<Store, true, true>(chains, n, k0, w, frames, values);
        } else if (sliding) {
            advanceLanes<Store, true, false>(chains, n, k0, w, frames, values);
        } else {
            advanceLanes<Store, false, false>(chains, n, k0, w, frames, values);
        }
    }
}

template <bool Store>
void advance(const Chain* chains, int count, double k0, double w, int frames, double* values) {
    static const Advance chosen =
        WidestWidth() == Width::Avx512 ? advanceAvx512<Store> : advanceBaseline<Store>;
    chosen(chains, count, k0, w, frames, values);
}

}  // namespace

struct Synth::State {
    State(const Timeline& t, std::uint64_t s, const SampleFormat& f, Method m, MixStream* x)
        : timeline(t),
          seed(s),
          format(f),
          method(m),
          mixFile(x),
          radiansPerHertz(kTwoPi / t.rate),
          harmonicLimit(std::min(t.rate / 2.0, kHarmonicCeiling)) {
        for (const VoiceKind colour : {VoiceKind::Pink, VoiceKind::White, VoiceKind::Brown}) {
            shapes.emplace_back(colour, DesignNoise(colour, t.rate));
        }
        waves.resize(kDrawnWave + kDrawnWaves);
        waves[kSquare] = Waveform::Square();
        waves[kTriangle] = Waveform::Triangle();
        waves[kSawtooth] = Waveform::Sawtooth();
        for (std::size_t n = 0; n < t.drawnWaves.size() && n < kDrawnWaves; ++n) {
            std::string unused;
            if (!t.drawnWaves[n].empty()) {
                waves[kDrawnWave + n] = Waveform::Drawn(t.drawnWaves[n], unused);
            }
        }
        restart();
    }

    const Timeline& timeline;
    const std::uint64_t seed;
    const SampleFormat format;
    const Method method;
    MixStream* const mixFile;
    const double radiansPerHertz;  // 2π / rate: a frequency times this is a phase step
    const double harmonicLimit;    // a wave keeps the harmonics below this
    // The colour of each noise kind at this rate; filled once, as runs point into it.
    std::vector<std::pair<VoiceKind, NoiseShape>> shapes;
    std::vector<std::optional<Waveform>> waves;  // by wave number; the sine has none
    std::int64_t mixAt = -1;                     // where the mix file will read next
    std::vector<double> mixFrames;               // the piece's frames of it
    std::vector<std::vector<double>> spinEars;   // the reference's: each spin's, a piece

    std::int64_t position = 0;
    std::size_t span = 0;  // the span holding `position`; past the last at the end
    std::vector<VoiceRun> runs;
    std::vector<LiveVoice> voices;
    bool fast = false;   // the fast mix can take this span
    double guard = 0.0;  // its guard (MixGuard)

    // How a piece of this span is laid out: a row of kMixBlock values for each phase and
    // each noise, and the mix's tracks with their rows (rowA, rowB) in place of pointers.
    std::vector<Chain> chains;
    std::vector<MixTrack> mix;
    std::vector<std::pair<int, int>> rows;
    int rowCount = 0;
    std::vector<VoiceSample> samples;
    SynthBlock own;  // Render's

    std::map<std::int64_t, Checkpoint> checkpoints;
    std::int64_t spacing = kCheckpointSpacing;
    std::size_t checkpointBytes = 0;
    std::size_t checkpointLimit = kCheckpointLimit;

    bool ended() const { return span >= timeline.spans.size() || position >= timeline.end; }
    const Span& current() const { return timeline.spans[span]; }

    void restart() {
        position = 0;
        span = 0;
        runs.clear();
        enterSpan();
    }

    const NoiseShape& shapeOf(VoiceKind kind) const {
        for (const auto& [colour, shape] : shapes) {
            if (colour == kind) {
                return shape;
            }
        }
        return shapes.front().second;  // not reached: every Signal kind has its shape
    }

    // Lays out the current span's voices, each with the run its track id had in the span
    // before, or a fresh one.
    void enterSpan() {
        voices.clear();
        if (ended()) {
            runs.clear();
            return;
        }
        const Span& s = current();
        std::vector<VoiceRun> next;
        next.reserve(s.tracks.size());
        for (const Track& track : s.tracks) {
            const VoiceKindInfo& info = KindOf(track.kind);
            auto carried = std::find_if(runs.begin(), runs.end(),
                                        [&](const VoiceRun& r) { return r.id == track.id; });
            if (carried != runs.end()) {
                next.push_back(*carried);
            } else {
                VoiceRun fresh;
                fresh.id = track.id;
                if (info.source == Source::Noise) {
                    fresh.noise = NoiseRun(&shapeOf(info.colour), NoiseKey(seed, track.id));
                } else if (info.source == Source::Spin) {
                    fresh.spin = SpinRun(NoiseRun(&shapeOf(info.colour), NoiseKey(seed, track.id)),
                                         timeline.rate);
                } else if (info.source == Source::Bell) {
                    fresh.bell =
                        BellRing(track.strike, track.from.carrier * radiansPerHertz, timeline.rate);
                }
                next.push_back(fresh);
            }
        }
        runs = std::move(next);
        layOutVoices();
        judgeSpan();
    }

    // The current span's voices over `runs`, one for each of its tracks in order.
    void layOutVoices() {
        voices.clear();
        const Span& s = current();
        for (const Track& track : s.tracks) {
            const VoiceKindInfo& info = KindOf(track.kind);
            LiveVoice v;
            v.kind = track.kind;
            v.form = v.shape = info.mix;
            v.source = info.source;
            v.colour = info.colour;
            v.run = voices.size();
            v.amplitude = ramp(track.from.amplitude, track.to.amplitude, s);
            v.width = ramp(track.from.carrier, track.to.carrier, s);
            v.phases = info.source == Source::Bell ? 0 : info.phases;
            if (info.rates != nullptr) {
                const PhaseRates from = info.rates(track.from);
                const PhaseRates to = info.rates(track.to);
                v.frequencyA = ramp(from.a, to.a, s);
                v.frequencyB = ramp(from.b, to.b, s);
            }
            if (info.source == Source::Phases && track.wave != kSine &&
                static_cast<std::size_t>(track.wave) < waves.size() && waves[track.wave]) {
                v.wave = &*waves[track.wave];
                v.form = v.shape == MixForm::Ears ? MixForm::Stereo : MixForm::Signal;
            }
            voices.push_back(v);
        }
        layOutBlock();
    }

    // Each voice's rows of a piece: one for each phase it carries, and as many as its
    // signal needs (a spin's phase row takes its left ear; a bell and a noise have one
    // row, a mix file two).
    void layOutBlock() {
        chains.clear();
        mix.clear();
        rows.clear();
        int row = 0;
        for (LiveVoice& v : voices) {
            VoiceRun& run = runs[v.run];
            MixTrack t;
            t.form = v.form;
            t.ampBase = v.amplitude.base;
            t.ampSlope = v.amplitude.slope;
            double* own[2] = {&run.phaseA, &run.phaseB};
            const Ramp* frequency[2] = {&v.frequencyA, &v.frequencyB};
            for (int j = 0; j < v.phases; ++j) {
                chains.push_back({own[j], frequency[j], row + j});
            }
            const int stereo = v.form == MixForm::Stereo || v.form == MixForm::Ears ? 2 : 1;
            const int used = std::max({v.phases, stereo, 1});
            rows.emplace_back(row, row + used - 1);
            row += used;
            mix.push_back(t);
        }
        rowCount = row;
        samples.assign(voices.size(), VoiceSample{});
    }

    // The fast mix takes a span whose phases stay in [0, 2π]: they start there and every
    // step is below π in size (a frequency below half the rate), so one wrap either way
    // keeps them there. The steps move linearly, so the span's two ends bound them.
    void judgeSpan() {
        const Span& s = current();
        const double last = s.end == kEndless ? 0.0 : static_cast<double>(s.end - s.begin - 1);
        fast = method == Method::Fast;
        std::vector<GuardTerm> terms;
        for (const LiveVoice& v : voices) {
            const VoiceRun& run = runs[v.run];
            const Ramp* frequency[2] = {&v.frequencyA, &v.frequencyB};
            const double phase[2] = {run.phaseA, run.phaseB};
            for (int j = 0; j < v.phases; ++j) {
                const double a = frequency[j]->at(0.0) * radiansPerHertz;
                const double b = frequency[j]->at(last) * radiansPerHertz;
                const bool inRange = phase[j] >= 0.0 && phase[j] <= kTwoPi;
                fast = fast && inRange && std::fabs(a) < 3.0 && std::fabs(b) < 3.0;
            }
            const double amplitude =
                std::max(std::abs(v.amplitude.at(0.0)), std::abs(v.amplitude.at(last)));
            terms.push_back({v.form, amplitude, peakOf(v)});
        }
        guard = MixGuard(terms.data(), static_cast<int>(terms.size()), format);
        // Beyond half a unit the guard would no longer tell one whole number from the next.
        fast = fast && guard < 0.25;
    }

    // How large a voice's sine or signal can be: a noise's (and a spin's, which lies between
    // two of its values) is its shape's; a wave's sum may pass 1 near its steps (by 18 % at
    // most for the square and the sawtooth), a drawn one by what its coefficients allow.
    double peakOf(const LiveVoice& v) const {
        if (v.source == Source::Noise || v.source == Source::Spin) {
            return shapeOf(v.colour).peak;
        }
        return v.wave != nullptr ? v.wave->Bound() : 1.0;
    }

    // A wave's tone over a block, its phases in `a` and `b` turned into what waveTerms
    // makes of each frame, several frames at a time.
    void waveBlock(const LiveVoice& v, double k0, int frames, double* a, double* b) const {
        long harmonics[kMixBlock] = {};
        double left[kMixBlock];
        for (int i = 0; i < frames; ++i) {
            harmonics[i] = Waveform::Harmonics(v.frequencyA.at(k0 + i), harmonicLimit);
        }
        v.wave->Values(a, harmonics, frames, left);
        if (v.shape == MixForm::Ears) {
            for (int i = 0; i < frames; ++i) {
                harmonics[i] = Waveform::Harmonics(v.frequencyB.at(k0 + i), harmonicLimit);
            }
            v.wave->Values(b, harmonics, frames, b);
        }
        for (int i = 0; i < frames; ++i) {
            if (v.shape == MixForm::Pulsed) {
                const double s = std::sin(b[i]);
                left[i] = (b[i] < kPi ? s * s : 0.0) * left[i];
            }
            if (v.shape != MixForm::Ears) {
                b[i] = left[i];
            }
            a[i] = left[i];
        }
    }

    // A spin's ears over a block from its phases, its widths taken from its ramp.
    static void spinBlock(const LiveVoice& v, VoiceRun& run, const double* phases, double k0,
                          int frames, double* left, double* right) {
        double widths[kMixBlock];
        for (int i = 0; i < frames; ++i) {
            widths[i] = v.width.at(k0 + i);
        }
        run.spin.Block(phases, widths, frames, left, right);
    }

    // Makes a spin's noise over the piece, leaving its ears to Finish.
    static void takeSpin(const LiveVoice& v, VoiceRun& run, std::pair<int, int> rows, double k0,
                         int frames, SynthBlock::Piece& piece) {
        if (piece.spins.size() <= static_cast<std::size_t>(piece.spinCount)) {
            piece.spins.emplace_back();
        }
        SynthBlock::Piece::Spin& spin = piece.spins[piece.spinCount++];
        spin.rowA = rows.first;
        spin.rowB = rows.second;
        spin.widthBase = v.width.base;
        spin.widthSlope = v.width.slope;
        spin.first = k0;
        const double widest =
            std::max(std::fabs(v.width.at(k0)), std::fabs(v.width.at(k0 + frames - 1)));
        run.spin.Take(frames, widest, spin.window);
    }

    // The piece's frames of the mix file from `position`, read once for every voice that
    // plays it (silence without a file).
    void readMix(int frames) {
        mixFrames.assign(2 * static_cast<std::size_t>(frames), 0.0);
        if (mixFile == nullptr) {
            return;
        }
        if (mixAt != position) {
            mixFile->Seek(position);
        }
        mixFile->Read(mixFrames.data(), static_cast<std::size_t>(frames));
        mixAt = position + frames;
    }

    bool playsMix() const {
        return std::any_of(voices.begin(), voices.end(),
                           [](const LiveVoice& v) { return v.source == Source::Mix; });
    }

    // Moves every voice on by `frames` (at most a block) from span position k0, keeping
    // the phases and signal values in the rows of `values` unless it is null.
    void step(double k0, int frames, double* values, SynthBlock::Piece* piece = nullptr) {
        const int count = static_cast<int>(chains.size());
        if (values != nullptr) {
            advance<true>(chains.data(), count, k0, radiansPerHertz, frames, values);
        } else {
            advance<false>(chains.data(), count, k0, radiansPerHertz, frames, nullptr);
        }
        const std::int64_t n0 = current().begin + static_cast<std::int64_t>(k0);
        if (values != nullptr && playsMix()) {
            readMix(frames);
        }
        for (std::size_t j = 0; j < voices.size(); ++j) {
            const LiveVoice& v = voices[j];
            VoiceRun& run = runs[v.run];
            double* a = values == nullptr ? nullptr : values + rows[j].first * kMixBlock;
            double* b = values == nullptr ? nullptr : values + rows[j].second * kMixBlock;
            switch (v.source) {
                case Source::Noise:
                    if (a != nullptr) {
                        run.noise.Fill(a, frames);
                    } else {
                        run.noise.Skip(frames);
                    }
                    break;
                case Source::Spin:
                    if (a == nullptr) {
                        run.spin.Skip(frames);
                        break;
                    }
                    if (piece == nullptr) {
                        spinBlock(v, run, a, k0, frames, a, b);
                    } else {
                        takeSpin(v, run, rows[j], k0, frames, *piece);
                    }
                    break;
                case Source::Bell:
                    run.bell.Block(n0, frames, a);
                    break;
                case Source::Mix:
                    for (int i = 0; a != nullptr && i < frames; ++i) {
                        a[i] = mixFrames[2 * i];
                        b[i] = mixFrames[2 * i + 1];
                    }
                    break;
                case Source::Phases:
                    if (a != nullptr && v.wave != nullptr) {
                        waveBlock(v, k0, frames, a, b);
                    }
                    break;
            }
        }
    }

    template <typename Out>
    void plainFrames(Out* out, int frames) {
        const double k0 = static_cast<double>(position - current().begin);
        if (playsMix()) {
            readMix(frames);
        }
        // A spin's ears come a block at a time, from the phases its steps below will take.
        spinEars.resize(voices.size());
        for (std::size_t j = 0; j < voices.size(); ++j) {
            const LiveVoice& v = voices[j];
            if (v.source == Source::Spin) {
                double phases[kMixBlock];
                double phase = runs[v.run].phaseA;
                for (int i = 0; i < frames; ++i) {
                    phases[i] = phase;
                    phase = nextPhase(phase, v.frequencyA.at(k0 + i) * radiansPerHertz);
                }
                double left[kMixBlock];
                double right[kMixBlock];
                spinBlock(v, runs[v.run], phases, k0, frames, left, right);
                spinEars[j].resize(2 * static_cast<std::size_t>(frames));
                for (int i = 0; i < frames; ++i) {
                    spinEars[j][2 * i] = left[i];
                    spinEars[j][2 * i + 1] = right[i];
                }
            }
        }
        for (int i = 0; i < frames; ++i) {
            const double k = k0 + i;
            for (std::size_t j = 0; j < voices.size(); ++j) {
                const LiveVoice& v = voices[j];
                VoiceRun& run = runs[v.run];
                VoiceSample& s = samples[j];
                s.form = v.form;
                s.amplitude = v.amplitude.at(k);
                s.phaseA = run.phaseA;
                s.phaseB = run.phaseB;
                signalAt(j, v, run, k, i, s);
                if (v.phases >= 1) {
                    run.phaseA = nextPhase(run.phaseA, v.frequencyA.at(k) * radiansPerHertz);
                }
                if (v.phases == 2) {
                    run.phaseB = nextPhase(run.phaseB, v.frequencyB.at(k) * radiansPerHertz);
                }
            }
            std::int32_t left;
            std::int32_t right;
            ReferenceFrame(samples.data(), static_cast<int>(samples.size()), format, left, right);
            out[2 * i] = static_cast<Out>(left);
            out[2 * i + 1] = static_cast<Out>(right);
        }
    }

    // The signal a voice makes at span position k, frame i of the piece, one sample at a
    // time as the reference takes it; before its phases step on.
    void signalAt(std::size_t j, const LiveVoice& v, VoiceRun& run, double k, int i,
                  VoiceSample& s) {
        switch (v.source) {
            case Source::Noise:
                s.noise = run.noise.Next();
                break;
            case Source::Spin:
                s.noise = spinEars[j][2 * i];
                s.noiseB = spinEars[j][2 * i + 1];
                break;
            case Source::Bell:
                s.noise = run.bell.Next(current().begin + static_cast<std::int64_t>(k));
                break;
            case Source::Mix:
                s.noise = mixFrames[2 * i];
                s.noiseB = mixFrames[2 * i + 1];
                break;
            case Source::Phases:
                if (v.wave != nullptr) {
                    waveTerms(v, run.phaseA, run.phaseB, k, harmonicLimit, s.noise, s.noiseB);
                }
                break;
        }
    }

    // Moves on over the next `frames` of the span, keeping what their mix needs.
    void preparePiece(SynthBlock::Piece& piece, int frames) {
        piece.frames = frames;
        const double k0 = static_cast<double>(position - current().begin);
        if (!fast) {
            piece.kind = SynthBlock::Piece::Kind::Ready;
            piece.ready.resize(2 * static_cast<std::size_t>(frames));
            plainFrames(piece.ready.data(), frames);
            return;
        }
        piece.kind = SynthBlock::Piece::Kind::Mix;
        piece.values.resize(static_cast<std::size_t>(rowCount) * kMixBlock);
        piece.spinCount = 0;
        step(k0, frames, piece.values.data(), &piece);
        piece.tracks = mix;
        for (std::size_t t = 0; t < mix.size(); ++t) {
            piece.tracks[t].a = piece.values.data() + rows[t].first * kMixBlock;
            piece.tracks[t].b = piece.values.data() + rows[t].second * kMixBlock;
        }
        piece.mix.tracks = piece.tracks.data();
        piece.mix.count = static_cast<int>(piece.tracks.size());
        piece.mix.first = k0;
        piece.mix.frames = frames;
        piece.mix.format = format;
        piece.mix.guard = guard;
    }

    // How many of `wanted` frames from `position` lie in the current span, at most a block
    // and no further than the next checkpoint, so that the synthesis stops on each.
    int inSpan(std::int64_t wanted) const {
        const std::int64_t mark = (position / spacing + 1) * spacing;
        const std::int64_t left = std::min({current().end, timeline.end, mark}) - position;
        return static_cast<int>(std::min<std::int64_t>({wanted, left, kMixBlock}));
    }

    void moved(int frames) {
        position += frames;
        if (!ended() && position >= current().end) {
            ++span;
            enterSpan();
        }
        if (!ended() && position % spacing == 0 && !checkpoints.contains(position)) {
            keep();
        }
    }

    void keep() {
        Checkpoint c{span, runs, fast, guard, 0};
        // The map's node and the state's vectors, a spin's ring (64 KiB) above all.
        c.bytes = sizeof(Checkpoint) + 4 * sizeof(void*) + c.runs.capacity() * sizeof(VoiceRun);
        for (const VoiceRun& r : c.runs) {
            c.bytes += r.spin.RingBytes();
        }
        checkpointBytes += c.bytes;
        checkpoints.emplace(position, std::move(c));
        thin();
    }

    // Doubles the spacing, dropping the checkpoints off it, until they fit the limit.
    void thin() {
        while (checkpointBytes > checkpointLimit) {
            spacing *= 2;
            std::erase_if(checkpoints, [&](const auto& c) {
                const bool off = c.first % spacing != 0;
                checkpointBytes -= off ? c.second.bytes : 0;
                return off;
            });
        }
    }

    // Points the noise of a checkpoint's runs at this synthesis's shapes, or at none while
    // it is handed over. The runs are in the order of their span's tracks.
    void reshape(Checkpoint& c, bool own) const {
        const Span& s = timeline.spans[c.span];
        for (std::size_t i = 0; i < c.runs.size() && i < s.tracks.size(); ++i) {
            const VoiceKindInfo& info = KindOf(s.tracks[i].kind);
            const NoiseShape* shape = own ? &shapeOf(info.colour) : nullptr;
            if (info.source == Source::Noise) {
                c.runs[i].noise.Reshape(shape);
            } else if (info.source == Source::Spin) {
                c.runs[i].spin.Reshape(shape);
            }
        }
    }

    void restore(std::int64_t frame, const Checkpoint& c) {
        position = frame;
        span = c.span;
        runs = c.runs;
        layOutVoices();
        fast = c.fast;
        guard = c.guard;
    }

    void prepare(SynthBlock& block, int count) {
        block.count = 0;
        while (count > 0) {
            if (block.pieces.size() <= static_cast<std::size_t>(block.count)) {
                block.pieces.emplace_back();
            }
            SynthBlock::Piece& piece = block.pieces[block.count++];
            if (ended()) {
                piece.kind = SynthBlock::Piece::Kind::Silent;
                piece.frames = count;
                position += count;
                return;
            }
            const int frames = inSpan(count);
            preparePiece(piece, frames);
            count -= frames;
            moved(frames);
        }
    }

    // A spin's ears, into the rows its mix track reads.
    static void finishSpins(SynthBlock::Piece& piece) {
        for (int s = 0; s < piece.spinCount; ++s) {
            const SynthBlock::Piece::Spin& spin = piece.spins[s];
            // Rows of kMixBlock values (a multiple of 8) have room for the whole vectors.
            const int whole = (piece.frames + 7) / 8 * 8;
            double widths[kMixBlock];
            double* a = piece.values.data() + spin.rowA * kMixBlock;
            double* b = piece.values.data() + spin.rowB * kMixBlock;
            for (int i = 0; i < whole; ++i) {
                widths[i] = spin.widthBase + spin.widthSlope * (spin.first + i);
            }
            std::fill(a + piece.frames, a + whole, 0.0);
            SpinEars(spin.window, a, widths, piece.frames, a, b);
        }
    }

    template <typename Out>
    static void finish(SynthBlock& block, Out* out) {
        for (int i = 0; i < block.count; ++i) {
            SynthBlock::Piece& piece = block.pieces[i];
            const std::size_t samples = 2 * static_cast<std::size_t>(piece.frames);
            switch (piece.kind) {
                case SynthBlock::Piece::Kind::Silent:
                    std::fill(out, out + samples, Out{0});
                    break;
                case SynthBlock::Piece::Kind::Ready:
                    std::copy(piece.ready.begin(), piece.ready.begin() + samples, out);
                    break;
                case SynthBlock::Piece::Kind::Mix:
                    finishSpins(piece);
                    MixFrames(piece.mix, out);
                    break;
            }
            out += samples;
        }
    }

    template <typename Out>
    void render(Out* out, int count) {
        while (count > 0) {
            const int frames = std::min(count, kMixBlock);
            prepare(own, frames);
            finish(own, out);
            out += 2 * static_cast<std::size_t>(frames);
            count -= frames;
        }
    }

    // The checkpoint a seek to `frame` starts from, if it starts from one.
    auto seekCheckpoint(std::int64_t frame) const {
        const auto after = checkpoints.upper_bound(frame);
        return after != checkpoints.begin() &&
                       (frame < position || std::prev(after)->first > position)
                   ? std::prev(after)
                   : checkpoints.end();
    }

    void seek(std::int64_t frame) {
        if (const auto c = seekCheckpoint(frame); c != checkpoints.end()) {
            restore(c->first, c->second);
        } else if (frame < position) {
            restart();
        }
        while (position < frame) {
            if (ended()) {
                position = frame;
                return;
            }
            const int frames = inSpan(frame - position);
            step(static_cast<double>(position - current().begin), frames, nullptr);
            moved(frames);
        }
    }
};

struct CheckpointBatch::Kept {
    std::map<std::int64_t, Checkpoint> checkpoints;
};

CheckpointBatch::CheckpointBatch() : m_kept(std::make_unique<Kept>()) {}
CheckpointBatch::~CheckpointBatch() = default;
CheckpointBatch::CheckpointBatch(CheckpointBatch&&) noexcept = default;
CheckpointBatch& CheckpointBatch::operator=(CheckpointBatch&&) noexcept = default;

std::size_t CheckpointBatch::Size() const {
    return m_kept ? m_kept->checkpoints.size() : 0;
}

Synth::Synth(const Timeline& timeline, std::uint64_t seed, const SampleFormat& format,
             Method method, MixStream* mix)
    : m_state(std::make_unique<State>(timeline, seed, format, method, mix)) {}

Synth::~Synth() = default;

std::int64_t Synth::Position() const {
    return m_state->position;
}

void Synth::Seek(std::int64_t frame) {
    m_state->seek(frame);
}

std::int64_t Synth::SeekFrom(std::int64_t frame) const {
    const State& s = *m_state;
    const auto c = s.seekCheckpoint(frame);
    return c != s.checkpoints.end() ? c->first : frame < s.position ? 0 : s.position;
}

Synth::CheckpointUse Synth::Checkpoints() const {
    return {m_state->checkpoints.size(), m_state->spacing, m_state->checkpointBytes};
}

void Synth::LimitCheckpoints(std::size_t bytes) {
    m_state->checkpointLimit = bytes;
    m_state->thin();
}

void Synth::PrepareCheckpoints(std::int64_t frame) {
    const std::int64_t back = m_state->position;
    m_state->seek(std::min(frame, m_state->timeline.end));
    m_state->seek(back);
}

CheckpointBatch Synth::TakeCheckpoints() {
    CheckpointBatch batch;
    batch.m_kept->checkpoints = std::move(m_state->checkpoints);
    m_state->checkpoints.clear();
    m_state->checkpointBytes = 0;
    for (auto& [frame, c] : batch.m_kept->checkpoints) {
        m_state->reshape(c, false);
    }
    return batch;
}

void Synth::AddCheckpoints(CheckpointBatch batch) {
    if (!batch.m_kept) {
        return;
    }
    State& s = *m_state;
    for (auto& [frame, c] : batch.m_kept->checkpoints) {
        if (frame % s.spacing == 0 && frame < s.timeline.end && !s.checkpoints.contains(frame)) {
            s.reshape(c, true);
            s.checkpointBytes += c.bytes;
            s.checkpoints.emplace(frame, std::move(c));
        }
    }
    s.thin();
}

void Synth::Render(std::int16_t* frames, int count) {
    m_state->render(frames, count);
}

void Synth::Render(std::int32_t* frames, int count) {
    m_state->render(frames, count);
}

void Synth::Prepare(SynthBlock& block, int count) {
    m_state->prepare(block, count);
}

void Synth::Finish(SynthBlock& block, std::int16_t* frames) {
    State::finish(block, frames);
}

void Synth::Finish(SynthBlock& block, std::int32_t* frames) {
    State::finish(block, frames);
}

}  // namespace session
