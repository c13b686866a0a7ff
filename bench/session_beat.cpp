// SPDX-License-Identifier: GPL-3.0-or-later
// How exactly a slide is heard: a binaural voice slides over twenty minutes from 200+10 to
// 220+6 (a beat from 10 to 6 Hz while the carrier rises 20 Hz). Every 20 s through the slide
// the beat heard (left ear's frequency less the right's, each from the rising zero crossings
// of its channel over one second, placed between samples by straight lines) is set against
// the timeline's beat at that instant.
// Usage: bench_session_beat
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "session/reader.h"
#include "session/synth.h"
#include "session/timeline.h"

namespace {

constexpr int kRate = 44100;

// The mean frequency over the window, from its first to its last rising zero crossing.
double frequency(const std::vector<std::int16_t>& frames, int ear) {
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (std::size_t i = ear; i + 2 < frames.size(); i += 2) {
        const double a = frames[i];
        const double b = frames[i + 2];
        if (a < 0 && b >= 0) {
            const double at = i / 2 + a / (a - b);
            first = first < 0 ? at : first;
            last = at;
            ++crossings;
        }
    }
    return (crossings - 1) * kRate / (last - first);
}

// The timeline's value for the binaural track at frame n: from + (to - from) × (n - begin)
// / (end - begin) within its span.
double beatAt(const session::Timeline& timeline, std::int64_t n, double* carrier) {
    for (const session::Span& span : timeline.spans) {
        if (n >= span.begin && n < span.end) {
            const session::Track& t = span.tracks.front();
            const double x = span.end == session::kEndless
                                 ? 0.0
                                 : static_cast<double>(n - span.begin) / (span.end - span.begin);
            *carrier = t.from.carrier + (t.to.carrier - t.from.carrier) * x;
            return t.from.beat + (t.to.beat - t.from.beat) * x;
        }
    }
    return 0;
}

}  // namespace

int main() {
    const session::ReadResult read = session::ReadSessionText(
        "-SE\na: 200+10/50\nb: 220+6/50\n0:00:00 a\n0:01:00 == a ->\n0:21:00 == b\n0:22:00 b\n",
        "slide.sbg");
    if (!read.session) {
        std::fprintf(stderr, "bench_session_beat: the session does not read\n");
        return 1;
    }
    const session::Timeline timeline = session::BuildTimeline(*read.session, kRate);
    session::Synth synth(timeline, 0, session::kPcm16);
    std::vector<std::int16_t> window(2 * kRate);
    double worstBeat = 0;
    double worstEar = 0;
    int instants = 0;
    for (int second = 60; second <= 21 * 60; second += 20) {
        const std::int64_t centre = static_cast<std::int64_t>(second) * kRate;
        synth.Seek(centre - kRate / 2);
        synth.Render(window.data(), kRate);
        double carrier = 0;
        const double beat = beatAt(timeline, centre, &carrier);
        const double left = frequency(window, 0);
        const double right = frequency(window, 1);
        worstBeat = std::max(worstBeat, std::abs((left - right) - beat));
        worstEar = std::max({worstEar, std::abs(left - (carrier + beat / 2)),
                             std::abs(right - (carrier - beat / 2))});
        if (second % 300 == 0) {
            std::printf("  %2d:%02d  beat heard %.5f Hz, timeline %.5f Hz\n", second / 60,
                        second % 60, left - right, beat);
        }
        ++instants;
    }
    std::printf("a 20-minute slide from 200+10 to 220+6, %d instants 20 s apart:\n", instants);
    std::printf("  beat heard vs timeline: at most %.5f Hz off (target 0.01 Hz)\n", worstBeat);
    std::printf("  each ear vs timeline:   at most %.5f Hz off\n", worstEar);
    return worstBeat <= 0.01 ? 0 : 1;
}
