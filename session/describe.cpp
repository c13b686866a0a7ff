#include "session/describe.h"

#include <cstdio>

#include "session/decimal.h"

namespace session {
namespace {

const char* kindName(VoiceKind kind) {
    switch (kind) {
        case VoiceKind::Binaural:
            return "binaural";
        case VoiceKind::Tone:
            return "tone";
        case VoiceKind::Isochronic:
            return "isochronic";
        case VoiceKind::Pink:
            return "pink noise";
        case VoiceKind::White:
            return "white noise";
        case VoiceKind::Brown:
            return "brown noise";
        case VoiceKind::None:
            break;
    }
    return "-";
}

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

std::string hz(double value) {
    return FormatDecimal(value) + " Hz";
}

// "     2  binaural     left 205 Hz, right 195 Hz            15%"
std::string voiceLine(int slot, const Voice& v, double scale) {
    std::string where;
    switch (v.kind) {
        case VoiceKind::None:
            return "    " + std::string(slot < 10 ? " " : "") + std::to_string(slot) + "  -\n";
        case VoiceKind::Binaural:
            where = "left " + hz(v.carrier + v.beat / 2) + ", right " + hz(v.carrier - v.beat / 2);
            break;
        case VoiceKind::Tone:
            where = hz(v.carrier) + " in both ears";
            break;
        case VoiceKind::Isochronic:
            where = hz(v.carrier) + " in both ears, pulsed " + FormatDecimal(v.pulse) + " a second";
            break;
        default:
            where = "both ears";
            break;
    }
    const std::string level = FormatDecimal(v.amplitude * scale) + "%";
    char line[512];
    std::snprintf(line, sizeof line, "    %2d  %-12s %-38s %7s\n", slot, kindName(v.kind),
                  where.c_str(), level.c_str());
    return line;
}

// Whether every slot of `b` sounds exactly as the same slot of `a`.
bool sameSound(const ToneSet& a, double scaleA, const ToneSet& b, double scaleB) {
    if (a.voices.size() != b.voices.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.voices.size(); ++k) {
        const Voice& x = a.voices[k];
        const Voice& y = b.voices[k];
        if (x.kind != y.kind || x.carrier != y.carrier || x.beat != y.beat || x.pulse != y.pulse ||
            x.amplitude * scaleA != y.amplitude * scaleB) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string FormatSampleTime(std::int64_t sample, int rate) {
    const std::int64_t ms = (sample * 1000 + rate / 2) / rate;
    const std::int64_t seconds = ms / 1000;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    std::string out(text);
    if (ms % 1000 != 0) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(ms % 1000));
        out += text;
    }
    return out;
}

std::string Describe(const Session& session, const Timeline& timeline) {
    const int rate = timeline.rate;
    const auto time = [rate](std::int64_t sample) { return FormatSampleTime(sample, rate); };
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
                   FormatSampleTime(e.ms, 1000) + " into the session)\n";
        }
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
