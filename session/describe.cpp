// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/describe.h"

#include <cstdio>

#include "session/clock.h"
#include "session/decimal.h"
#include "session/source_text.h"
#include "session/voice_kind.h"
#include "session/wave_name.h"

namespace session {
namespace {

const char* changeName(Change change) {
    switch (change) {
        case Change::Crossfade:
            return "crossfade";
        case Change::Slide:
            return "slide";
        case Change::Silence:
            return "fade to silence and in again";
        case Change::Hold:
            break;
    }
    return "hold";
}

// "     2  binaural     left 205 Hz, right 195 Hz            15%"
std::string voiceLine(int slot, const Voice& v, double scale) {
    if (v.kind == VoiceKind::None) {
        return "    " + std::string(slot < 10 ? " " : "") + std::to_string(slot) + "  -\n";
    }
    const VoiceKindInfo& kind = KindOf(v.kind);
    const std::string level = FormatDecimal(v.amplitude * scale) + "%";
    const std::string where = (v.wave == kSine ? "" : WaveName(v.wave) + ", ") + kind.where(v);
    // Padded by characters, not bytes: "µs" is two bytes and one column.
    const int wide = 38 + static_cast<int>(where.size()) - ColumnAt(where, where.size()) + 1;
    char line[512];
    std::snprintf(line, sizeof line, "    %2d  %-12s %-*s %7s\n", slot, kind.name, wide,
                  where.c_str(), level.c_str());
    return line;
}

// Whether every slot of `b` sounds exactly as the same slot of `a`, going on unchanged.
bool sameSound(const ToneSet& a, double scaleA, const ToneSet& b, double scaleB) {
    if (a.voices.size() != b.voices.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.voices.size(); ++k) {
        const Voice& x = a.voices[k];
        const Voice& y = b.voices[k];
        if (!SameValues(x, y) || x.amplitude * scaleA != y.amplitude * scaleB) {
            return false;
        }
        // A bell rings again at every entry that holds it.
        if (y.kind != VoiceKind::None && KindOf(y.kind).source == Source::Bell) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string Describe(const Session& session, const Timeline& timeline) {
    const int rate = timeline.rate;
    const auto time = [rate](std::int64_t sample) {
        return FormatFrames(sample, rate, ClockStyle::Listing);
    };
    std::string out;
    for (const std::string& line : session.descriptions) {
        out += line + "\n";
    }
    if (!session.descriptions.empty()) {
        out += "\n";
    }
    out += session.source + ": " + std::to_string(timeline.periods.size()) +
           (timeline.periods.size() == 1 ? " period" : " periods") + " at " + std::to_string(rate) +
           " Hz, " +
           (timeline.end == kEndless ? "plays on without end" : "ends at " + time(timeline.end)) +
           "\n";
    std::vector<bool> used(session.sets.size());
    for (const Period& p : timeline.periods) {
        const int set = session.entries[p.entry].set;
        if (timeline.setScale[set] != 1.0 && !used[set]) {
            double sum = 0;
            for (const Voice& v : session.sets[set].voices) {
                sum += v.amplitude;
            }
            out += "  set " + session.sets[set].name + ": amplitudes add up to " +
                   FormatDecimal(sum) + ", scaled by " + FormatDecimal(timeline.setScale[set]) +
                   "\n";
        }
        used[set] = true;
    }
    // The rule is plain, but a time written out of order by mistake would otherwise pass
    // without a word as a session a day longer.
    for (const Entry& e : session.entries) {
        if (e.nextDay) {
            out += "  line " + std::to_string(e.line) +
                   ": earlier than the clock time before it, so taken as the next day (" +
                   FormatClock(e.ms, ClockStyle::Listing) + " into the session)\n";
        }
    }
    if (session.idleArrowLine != 0) {
        out += "  line " + std::to_string(session.idleArrowLine) +
               ": '->' on the last entry changes nothing: no entry follows it\n";
    }
    for (const Period& p : timeline.periods) {
        const int setIndex = session.entries[p.entry].set;
        const ToneSet& set = session.sets[setIndex];
        const double scale = timeline.setScale[setIndex];
        out += "\n" + time(p.begin) + " - " + (p.end == kEndless ? "no end" : time(p.end)) + "  " +
               set.name + "\n";
        for (std::size_t k = 0; k < set.voices.size(); ++k) {
            out += voiceLine(static_cast<int>(k + 1), set.voices[k], scale);
        }
        if (p.change == Change::Hold) {
            out += "    plays on without end: render needs --length\n";
            continue;
        }
        const int nextIndex = session.entries[p.entry + 1].set;
        const bool same =
            p.change != Change::Silence &&
            sameSound(set, scale, session.sets[nextIndex], timeline.setScale[nextIndex]);
        out += "    then " + std::string(changeName(p.change)) + " to " +
               session.sets[nextIndex].name + ", " + time(p.changeBegin) + " - " +
               time(p.changeEnd) + (same ? " (nothing changes)" : "") + "\n";
    }
    if (timeline.end != kEndless) {
        out += "\n" + time(timeline.end) + "  end\n";
    }
    return out;
}

}  // namespace session
