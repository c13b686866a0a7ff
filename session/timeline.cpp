// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/timeline.h"

#include <algorithm>

#include "session/clock.h"
#include "session/voice_kind.h"

namespace session {
namespace {

// Positions stay in quarter milliseconds until they become samples. A change's half
// length is half of -F or half of a period, a whole number of half milliseconds, so
// every window edge is whole in quarters, and so is the middle of every window (the
// middle of [t - h, t] is t - h/2). Only the final step to samples rounds.
using Quarters = std::int64_t;

struct Window {
    Quarters begin;
    Quarters end;
    Change kind;
};

// A "->" asks to slide on behalf of both entries, with or without "==" (real files rely
// on it); asking for silence on either side still wins.
Change changeKind(const Entry& from, const Entry& to) {
    if (from.fadeOut == '>' || to.fadeIn == '<') {
        return Change::Silence;
    }
    const bool slide = from.arrow || (from.fadeOut == '=' && to.fadeIn == '=');
    return slide ? Change::Slide : Change::Crossfade;
}

// The change from entry i to entry i + 1 lies between the middles of the periods around
// the next entry's time, so windows never overlap and each span sees at most one change.
Window window(const Session& s, std::size_t i) {
    const auto& e = s.entries;
    const Quarters from = 4 * e[i].ms;
    const Quarters at = 4 * e[i + 1].ms;
    const Change kind = changeKind(e[i], e[i + 1]);
    if (e[i].arrow) {
        return {from, at, kind};  // the whole period is the change
    }
    Quarters half = std::min(2 * s.crossfadeMs, (at - from) / 2);
    if (e[i + 1].arrow || (i + 2 == e.size() && s.ends)) {
        return {at - half, at, kind};  // the next entry's own time starts at its level
    }
    if (i + 2 < e.size()) {
        half = std::min(half, (4 * e[i + 2].ms - at) / 2);
    }
    return {at - half, at + half, kind};
}

VoiceState silent(VoiceState state) {
    state.amplitude = 0;
    return state;
}

// Whether the voice in a slot goes on as the same track through the change.
bool continues(const Voice& a, const Voice& b, Change kind) {
    if (SoundingKind(a.kind) != SoundingKind(b.kind) || a.kind == VoiceKind::None ||
        a.wave != b.wave) {
        return false;
    }
    return kind == Change::Slide || SameValues(a, b);
}

// A bell is not a slot's voice: it rings on its own, never faded, crossfaded or slid.
Voice slotVoice(const Voice& v) {
    return v.kind == VoiceKind::Bell ? Voice{} : v;
}

class Builder {
  public:
    Builder(const Session& session, int rate) : s_(session) {
        t_.rate = rate;
        for (const ToneSet& set : s_.sets) {
            double sum = 0;
            for (const Voice& v : set.voices) {
                sum += v.amplitude;
            }
            t_.setScale.push_back(sum > 100 ? 100 / sum : 1.0);
        }
    }

    Timeline Build() {
        const auto& entries = s_.entries;
        t_.drawnWaves = s_.drawnWaves;
        if (entries.empty()) {
            t_.end = 0;
            return std::move(t_);
        }
        const std::size_t last = entries.size() - 1;
        // -T before the first entry: silence until it, every position that much later.
        lead_ = s_.startMs < 0 ? -4 * s_.startMs : 0;
        t_.start = s_.startMs > 0 ? sample(4 * s_.startMs) : 0;
        t_.end = s_.ends ? sample(4 * entries[last].ms) : kEndless;
        if (lead_ > 0) {
            t_.spans.push_back({0, sample(0), {}});
        }
        startIds(entries[0].set);
        Quarters steadyFrom = 0;
        for (std::size_t i = 0; i < last; ++i) {
            const Window w = window(s_, i);
            steady(entries[i].set, steadyFrom, w.begin);
            change(w, entries[i].set, entries[i + 1].set);
            steadyFrom = w.end;
            addPeriod(i, 4 * entries[i + 1].ms, w);
        }
        if (!s_.ends) {
            steady(entries[last].set, steadyFrom, -1);
            addPeriod(last, -1, {-1, -1, Change::Hold});
        }
        ringBells();
        return std::move(t_);
    }

  private:
    // -1 stands for the end of a session that plays on without end.
    std::int64_t sample(Quarters q) const {
        return q < 0 ? kEndless : FramesOfQuarterMs(q + lead_, t_.rate, s_.quick);
    }

    // Each entry whose set holds a bell strikes it at the entry's sample, as a track of its
    // own in every span its four seconds reach.
    void ringBells() {
        const auto length = static_cast<std::int64_t>(kBellSeconds * t_.rate);
        for (const Entry& e : s_.entries) {
            const std::int64_t strike = sample(4 * e.ms);
            for (const Voice& v : voices(e.set)) {
                if (v.kind != VoiceKind::Bell || strike >= t_.end) {
                    continue;
                }
                const VoiceState state = StateOf(v, scale(e.set));
                const int id = nextId_++;
                // Spans follow one another: the first that ends after the strike, and on.
                auto span = std::partition_point(t_.spans.begin(), t_.spans.end(),
                                                 [&](const Span& sp) { return sp.end <= strike; });
                for (; span != t_.spans.end() && span->begin < strike + length; ++span) {
                    span->tracks.push_back({id, VoiceKind::Bell, state, state, kSine, strike});
                }
            }
        }
    }

    void addSpan(Quarters from, Quarters to, std::vector<Track> tracks) {
        const std::int64_t begin = sample(from);
        const std::int64_t end = sample(to);
        if (begin < end) {  // a window shorter than a sample changes at one sample
            t_.spans.push_back({begin, end, std::move(tracks)});
        }
    }

    void addPeriod(std::size_t entry, Quarters end, const Window& w) {
        t_.periods.push_back({static_cast<int>(entry), sample(4 * s_.entries[entry].ms),
                              sample(end), w.kind, sample(w.begin), sample(w.end)});
    }

    const std::vector<Voice>& voices(int set) const { return s_.sets[set].voices; }
    double scale(int set) const { return t_.setScale[set]; }

    void startIds(int set) {
        for (const Voice& v : voices(set)) {
            ids_.push_back(slotVoice(v).kind == VoiceKind::None ? -1 : nextId_++);
        }
    }

    void steady(int set, Quarters from, Quarters to) {
        std::vector<Track> tracks;
        const auto& vs = voices(set);
        for (std::size_t k = 0; k < vs.size(); ++k) {
            const Voice v = slotVoice(vs[k]);
            if (v.kind != VoiceKind::None) {
                const VoiceState state = StateOf(v, scale(set));
                tracks.push_back({ids_[k], SoundingKind(v.kind), state, state, v.wave});
            }
        }
        addSpan(from, to, std::move(tracks));
    }

    void change(const Window& w, int fromSet, int toSet) {
        const auto& olds = voices(fromSet);
        const auto& news = voices(toSet);
        const std::size_t slots = std::max(olds.size(), news.size());
        const Voice none;
        std::vector<int> ids(news.size(), -1);
        std::vector<Track> tracks;      // over the window, or its first half for a silence
        std::vector<Track> afterwards;  // the second half of a silence
        for (std::size_t k = 0; k < slots; ++k) {
            const Voice a = k < olds.size() ? slotVoice(olds[k]) : none;
            const Voice b = k < news.size() ? slotVoice(news[k]) : none;
            const VoiceState was = StateOf(a, scale(fromSet));
            const VoiceState will = StateOf(b, scale(toSet));
            if (w.kind != Change::Silence && continues(a, b, w.kind)) {
                ids[k] = ids_[k];
                tracks.push_back({ids_[k], SoundingKind(a.kind), was, will, a.wave});
                continue;
            }
            if (a.kind != VoiceKind::None) {
                tracks.push_back({ids_[k], SoundingKind(a.kind), was, silent(was), a.wave});
            }
            if (b.kind != VoiceKind::None) {
                ids[k] = nextId_++;
                auto& into = w.kind == Change::Silence ? afterwards : tracks;
                into.push_back({ids[k], SoundingKind(b.kind), silent(will), will, b.wave});
            }
        }
        if (w.kind == Change::Silence) {
            const Quarters middle = (w.begin + w.end) / 2;
            addSpan(w.begin, middle, std::move(tracks));
            addSpan(middle, w.end, std::move(afterwards));
        } else {
            addSpan(w.begin, w.end, std::move(tracks));
        }
        ids_ = std::move(ids);
    }

    const Session& s_;
    Timeline t_;
    std::vector<int> ids_;  // the track of each slot of the set now playing; -1 when empty
    int nextId_ = 0;
    Quarters lead_ = 0;  // the silence -T puts before the first entry
};

}  // namespace

Timeline BuildTimeline(const Session& session, int rate) {
    return Builder(session, rate).Build();
}

}  // namespace session
