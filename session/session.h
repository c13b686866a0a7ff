// SPDX-License-Identifier: GPL-3.0-or-later
// A session as its file states it: options, tone-sets and timed entries. The reader
// (session/reader.h) makes one from text; the timeline (session/timeline.h) turns it into
// sample ranges for a given sample rate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace session {

enum class VoiceKind {
    None,
    Binaural,
    Tone,
    Isochronic,
    Pink,
    White,
    Brown,
    Spin,       // spin: pink noise turning around the head
    BrownSpin,  // bspin:
    WhiteSpin,  // wspin:
    Bell,       // bell+F/A
    Mix,        // mix/A: the session's mix file
};

// The wave of a tone voice (Binaural, Tone, Isochronic) in place of a sine
// (session/waveform.h): kSine, a built-in, or a drawn one, kDrawnWave + NN for waveNN.
constexpr int kSine = 0;
constexpr int kSquare = 1;
constexpr int kTriangle = 2;
constexpr int kSawtooth = 3;
constexpr int kDrawnWave = 100;
constexpr int kDrawnWaves = 100;  // wave00 to wave99

// One voice of a tone-set. Frequencies in hertz, amplitude in percent of full scale as
// written (0 to 100); the scaling of a set whose amplitudes add up to more than 100 is
// the timeline's.
struct Voice {
    VoiceKind kind = VoiceKind::None;
    // Binaural, Tone, Isochronic: the carrier; Bell: its frequency; the spins: W, the
    // largest delay between the ears, in microseconds (0 to 10000).
    double carrier = 0.0;
    // Binaural: the left ear hears carrier + beat / 2, the right carrier - beat / 2, so
    // "200+10" has beat +10 and "200-10" beat -10. The spins: B, turns a second ("W+B"),
    // negative for the other way round ("W-B").
    double beat = 0.0;
    double pulse = 0.0;  // Isochronic: pulses per second
    double amplitude = 0.0;
    int wave = kSine;  // Binaural, Tone, Isochronic: a prefix's wave, else -w's, else kSine
    int column = 0;    // where it was written on its tone-set's line, for messages
};

// A voice's values at one instant, as the timeline moves them. Frequencies in hertz;
// amplitude as a fraction of full scale (0 to 1), after the scaling of a set whose
// amplitudes add up to more than 100.
struct VoiceState {
    double carrier = 0.0;
    double beat = 0.0;   // Binaural: left = carrier + beat / 2, right = carrier - beat / 2
    double pulse = 0.0;  // Isochronic
    double amplitude = 0.0;
};

constexpr int kMaxVoices = 16;

struct ToneSet {
    std::string name;
    std::vector<Voice> voices;  // 1 to kMaxVoices slots
    int line = 0;               // where it was defined, for messages
};

struct Entry {
    std::int64_t ms = 0;   // from the session's first entry, which is 0
    int set = 0;           // index into Session::sets
    char fadeIn = '-';     // '<' from silence, '-' crossfade, '=' slide
    char fadeOut = '-';    // '>' to silence, '-' crossfade, '=' slide
    bool arrow = false;    // "->": the whole time to the next entry is the change, a slide
    bool nextDay = false;  // a clock time earlier than the one before it, so the next day's
    int line = 0;
};

struct Session {
    std::string source;                     // the file's name as messages give it
    std::vector<std::string> descriptions;  // the "##" lines, without the "##"
    bool ends = false;                      // -E or -SE: the session ends at its last entry
    std::int64_t crossfadeMs = 60000;       // -F
    std::optional<int> rate;                // -r
    std::vector<ToneSet> sets;
    std::vector<Entry> entries;  // in time order, at least one
    // The line of a "->" on the last entry, which changes nothing as nothing follows (real
    // files end "00:03:01 == off ->"): the entry keeps no arrow and check notes it. 0: none.
    int idleArrowLine = 0;

    // -m FILE: the mix file, a relative name already taken from the session file's folder
    // ("" when none). Where it was written, for the message when it cannot be opened.
    std::string mixFile;
    int mixLine = 0;
    int mixColumn = 0;
    // waveNN lines: the samples of each drawn wave (empty where no line defines it).
    std::vector<std::vector<double>> drawnWaves = std::vector<std::vector<double>>(kDrawnWaves);
    // -q N: every time from the start and every crossfade runs N times as fast.
    int quick = 1;
    // -T TIME: where play and render start, in milliseconds of the file's own time (before
    // -q divides it): above 0, that much of the session is skipped as --from skips it;
    // below 0, that much silence comes before the first entry.
    std::int64_t startMs = 0;
};

}  // namespace session
