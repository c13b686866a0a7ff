#include "session/synth.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "session/fast_mix.h"
#include "session/noise.h"

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
// reached it.
inline double nextPhase(double phase, double step) {
    phase += step;
    // Rare (once a period): laid out so that the usual path takes no jump.
    if (__builtin_expect(phase >= kTwoPi, 0)) {
        phase -= kTwoPi;
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
};

// A voice over the current span.
struct LiveVoice {
    VoiceKind kind = VoiceKind::None;
    Ramp amplitude;
    Ramp frequencyA;  // Binaural: left; Tone, Isochronic: the carrier
    Ramp frequencyB;  // Binaural: right; Isochronic: the pulse
    int phases = 0;   // how many phases it carries: 0 (a noise), 1 or 2
    std::size_t run = 0;
};

bool isNoise(VoiceKind kind) {
    return kind == VoiceKind::Pink || kind == VoiceKind::White || kind == VoiceKind::Brown;
}

// One phase over a block: where it is kept, its frequency, and where its value before each
// step goes (nowhere when only moving on).
struct Chain {
    double* phase;
    const Ramp* frequency;
    double* out;
};

// The phases are a chain of roundings, each from the one before, so each one advances
// sample by sample; advancing several side by side lets the processor overlap them.
// k0 is the span position of the first frame; w turns hertz into radians per sample. When
// no frequency in the group slides, each step is the same all along: with slope 0,
// base + slope × k is base itself (frequencies are never -0), the value computed once.
template <int N, bool Store, bool Sliding>
void advanceGroup(const Chain* chains, double k0, double w, int frames) {
    double phase[N];
    Ramp frequency[N];
    double step[N];
    double* out[N];
    for (int j = 0; j < N; ++j) {
        phase[j] = *chains[j].phase;
        frequency[j] = *chains[j].frequency;
        step[j] = frequency[j].at(k0) * w;
        out[j] = chains[j].out;
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
            phase[j] = nextPhase(phase[j], step[j]);
        }
    }
    for (int j = 0; j < N; ++j) {
        *chains[j].phase = phase[j];
    }
}

template <int N, bool Store>
void advanceGroup(const Chain* chains, double k0, double w, int frames) {
    bool sliding = false;
    for (int j = 0; j < N; ++j) {
        sliding = sliding || chains[j].frequency->slope != 0.0;
    }
    if (sliding) {
        advanceGroup<N, Store, true>(chains, k0, w, frames);
    } else {
        advanceGroup<N, Store, false>(chains, k0, w, frames);
    }
}

template <bool Store>
void advance(const Chain* chains, int count, double k0, double w, int frames) {
    for (; count >= 4; count -= 4, chains += 4) {
        advanceGroup<4, Store>(chains, k0, w, frames);
    }
    switch (count) {
        case 3:
            advanceGroup<3, Store>(chains, k0, w, frames);
            break;
        case 2:
            advanceGroup<2, Store>(chains, k0, w, frames);
            break;
        case 1:
            advanceGroup<1, Store>(chains, k0, w, frames);
            break;
        default:
            break;
    }
}

}  // namespace

struct Synth::State {
    State(const Timeline& t, std::uint64_t s, const SampleFormat& f, Method m)
        : timeline(t),
          seed(s),
          format(f),
          method(m),
          radiansPerHertz(kTwoPi / t.rate),
          pink(DesignNoise(VoiceKind::Pink, t.rate)),
          white(DesignNoise(VoiceKind::White, t.rate)),
          brown(DesignNoise(VoiceKind::Brown, t.rate)) {
        restart();
    }

    const Timeline& timeline;
    const std::uint64_t seed;
    const SampleFormat format;
    const Method method;
    const double radiansPerHertz;  // 2π / rate: a frequency times this is a phase step
    const NoiseShape pink;
    const NoiseShape white;
    const NoiseShape brown;

    std::int64_t position = 0;
    std::size_t span = 0;  // the span holding `position`; past the last at the end
    std::vector<VoiceRun> runs;
    std::vector<LiveVoice> voices;
    bool fast = false;   // the fast mix can take this span
    double guard = 0.0;  // its guard (MixGuard)

    // One block's worth per phase and per noise; the mix's view of them.
    std::vector<double> phases;
    std::vector<double> noise;
    std::vector<Chain> chains;
    std::vector<MixTrack> mix;
    std::vector<VoiceSample> samples;

    bool ended() const { return span >= timeline.spans.size() || position >= timeline.end; }
    const Span& current() const { return timeline.spans[span]; }

    void restart() {
        position = 0;
        span = 0;
        runs.clear();
        enterSpan();
    }

    const NoiseShape& shapeOf(VoiceKind kind) const {
        return kind == VoiceKind::Pink ? pink : kind == VoiceKind::Brown ? brown : white;
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
            auto carried = std::find_if(runs.begin(), runs.end(),
                                        [&](const VoiceRun& r) { return r.id == track.id; });
            if (carried != runs.end()) {
                next.push_back(*carried);
            } else {
                VoiceRun fresh;
                fresh.id = track.id;
                if (isNoise(track.kind)) {
                    fresh.noise = NoiseRun(&shapeOf(track.kind), NoiseKey(seed, track.id));
                }
                next.push_back(fresh);
            }
            LiveVoice v;
            v.kind = track.kind;
            v.run = next.size() - 1;
            v.amplitude = ramp(track.from.amplitude, track.to.amplitude, s);
            switch (track.kind) {
                case VoiceKind::Binaural:
                    v.phases = 2;
                    v.frequencyA = ramp(track.from.carrier + track.from.beat * 0.5,
                                        track.to.carrier + track.to.beat * 0.5, s);
                    v.frequencyB = ramp(track.from.carrier - track.from.beat * 0.5,
                                        track.to.carrier - track.to.beat * 0.5, s);
                    break;
                case VoiceKind::Tone:
                    v.phases = 1;
                    v.frequencyA = ramp(track.from.carrier, track.to.carrier, s);
                    break;
                case VoiceKind::Isochronic:
                    v.phases = 2;
                    v.frequencyA = ramp(track.from.carrier, track.to.carrier, s);
                    v.frequencyB = ramp(track.from.pulse, track.to.pulse, s);
                    break;
                default:
                    break;
            }
            voices.push_back(v);
        }
        runs = std::move(next);
        layOutBlock();
        judgeSpan();
    }

    void layOutBlock() {
        std::size_t phaseCount = 0;
        std::size_t noiseCount = 0;
        for (const LiveVoice& v : voices) {
            phaseCount += v.phases;
            noiseCount += isNoise(v.kind) ? 1 : 0;
        }
        phases.assign(phaseCount * kMixBlock, 0.0);
        noise.assign(noiseCount * kMixBlock, 0.0);
        chains.clear();
        mix.clear();
        std::size_t p = 0;
        std::size_t n = 0;
        for (const LiveVoice& v : voices) {
            VoiceRun& run = runs[v.run];
            MixTrack t;
            t.kind = v.kind;
            t.ampBase = v.amplitude.base;
            t.ampSlope = v.amplitude.slope;
            if (isNoise(v.kind)) {
                t.a = &noise[n++ * kMixBlock];
            } else {
                double* own[2] = {&run.phaseA, &run.phaseB};
                const Ramp* frequency[2] = {&v.frequencyA, &v.frequencyB};
                for (int j = 0; j < v.phases; ++j, ++p) {
                    chains.push_back({own[j], frequency[j], &phases[p * kMixBlock]});
                }
                t.a = chains[chains.size() - v.phases].out;
                t.b = chains.back().out;
            }
            mix.push_back(t);
        }
        samples.assign(voices.size(), VoiceSample{});
    }

    // The fast mix takes a span whose phases stay in [0, 2π]: they start there and every
    // step is below π (a frequency below half the rate). The steps move linearly, so the
    // span's two ends bound them.
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
                fast = fast && inRange && a >= 0.0 && b >= 0.0 && a < 3.0 && b < 3.0;
            }
            const double amplitude =
                std::max(std::abs(v.amplitude.at(0.0)), std::abs(v.amplitude.at(last)));
            terms.push_back({v.kind, amplitude, isNoise(v.kind) ? shapeOf(v.kind).peak : 1.0});
        }
        guard = MixGuard(terms.data(), static_cast<int>(terms.size()), format);
        // Beyond half a unit the guard would no longer tell one whole number from the next.
        fast = fast && guard < 0.25;
    }

    // Moves every voice on by `frames` (at most a block) from span position k0; keeps the
    // phases and noise values of the block when `keep`.
    void step(double k0, int frames, bool keep) {
        const int count = static_cast<int>(chains.size());
        if (keep) {
            advance<true>(chains.data(), count, k0, radiansPerHertz, frames);
        } else {
            advance<false>(chains.data(), count, k0, radiansPerHertz, frames);
        }
        std::size_t n = 0;
        for (const LiveVoice& v : voices) {
            if (isNoise(v.kind)) {
                if (keep) {
                    runs[v.run].noise.Fill(&noise[n++ * kMixBlock], frames);
                } else {
                    runs[v.run].noise.Skip(frames);
                }
            }
        }
    }

    template <typename Out>
    void plainFrames(Out* out, int frames) {
        const double k0 = static_cast<double>(position - current().begin);
        for (int i = 0; i < frames; ++i) {
            const double k = k0 + i;
            for (std::size_t j = 0; j < voices.size(); ++j) {
                const LiveVoice& v = voices[j];
                VoiceRun& run = runs[v.run];
                VoiceSample& s = samples[j];
                s.kind = v.kind;
                s.amplitude = v.amplitude.at(k);
                s.phaseA = run.phaseA;
                s.phaseB = run.phaseB;
                s.noise = isNoise(v.kind) ? run.noise.Next() : 0.0;
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

    template <typename Out>
    void fastFrames(Out* out, int frames) {
        const double k0 = static_cast<double>(position - current().begin);
        step(k0, frames, true);
        MixBlock block;
        block.tracks = mix.data();
        block.count = static_cast<int>(mix.size());
        block.first = k0;
        block.frames = frames;
        block.format = format;
        block.guard = guard;
        MixFrames(block, out);
    }

    // How many of `wanted` frames from `position` lie in the current span, at most a block.
    int inSpan(std::int64_t wanted) const {
        const std::int64_t left = std::min(current().end, timeline.end) - position;
        return static_cast<int>(std::min<std::int64_t>({wanted, left, kMixBlock}));
    }

    void moved(int frames) {
        position += frames;
        if (!ended() && position >= current().end) {
            ++span;
            enterSpan();
        }
    }

    template <typename Out>
    void render(Out* out, int count) {
        while (count > 0) {
            if (ended()) {
                std::fill(out, out + 2 * static_cast<std::size_t>(count), Out{0});
                position += count;
                return;
            }
            const int frames = inSpan(count);
            if (fast) {
                fastFrames(out, frames);
            } else {
                plainFrames(out, frames);
            }
            out += 2 * static_cast<std::size_t>(frames);
            count -= frames;
            moved(frames);
        }
    }

    void seek(std::int64_t frame) {
        if (frame < position) {
            restart();
        }
        while (position < frame) {
            if (ended()) {
                position = frame;
                return;
            }
            const int frames = inSpan(frame - position);
            step(static_cast<double>(position - current().begin), frames, false);
            moved(frames);
        }
    }
};

Synth::Synth(const Timeline& timeline, std::uint64_t seed, const SampleFormat& format,
             Method method)
    : m_state(std::make_unique<State>(timeline, seed, format, method)) {}

Synth::~Synth() = default;

std::int64_t Synth::Position() const {
    return m_state->position;
}

void Synth::Seek(std::int64_t frame) {
    m_state->seek(frame);
}

void Synth::Render(std::int16_t* frames, int count) {
    m_state->render(frames, count);
}

void Synth::Render(std::int32_t* frames, int count) {
    m_state->render(frames, count);
}

}  // namespace session
