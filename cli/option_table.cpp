// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/option_table.h"

#include <cstdint>

#include "cli/option_values.h"
#include "engine/tone.h"
#include "session/clock.h"
#include "session/decimal.h"

namespace cli {
namespace {

constexpr long kMaxSeconds = 100L * 365 * 24 * 3600;  // a hundred years: no timer wraps

// Tenths of a hertz as the user writes them: 1000 is "100.0".
std::string hertz(long tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

const std::string kCarrier =
    hertz(tone::kMinCarrier) + " to " + hertz(tone::kMaxCarrier) + " Hz in steps of 0.1";
const std::string kBeat = "0.0 to 50.0 Hz in steps of 0.1";
const std::string kLevel = "a whole number from 0 to 100";

bool tenths(const std::string& value, long low, long high, int& out) {
    const auto read = ParseTenths(value);
    if (!read || *read < low || *read > high) {
        return false;
    }
    out = static_cast<int>(*read);
    return true;
}

bool carrier(const std::string& value, int& out) {
    return tenths(value, tone::kMinCarrier, tone::kMaxCarrier, out);
}

bool beat(const std::string& value, int& out) {
    return tenths(value, 0, 500, out);
}

bool level(const std::string& value, int& out) {
    const auto read = session::ReadWholeNumber(value, 100);
    out = static_cast<int>(read.value_or(out));
    return read.has_value();
}

template <typename Text>
bool text(const std::string& value, Text& out) {
    if (!value.empty()) {
        out = value;
    }
    return !value.empty();
}

const char* const kTone = "The tone";
const char* const kMixHelp =
    "the mix file (any sound file libsndfile reads), given, or in\n"
    "place of the session's -m";
const char* const kSessions = "Sessions";

CommandTable play() {
    return {
        "play",
        "usage: tovin-cli play [--carrier HZ] [--beat HZ] [--volume 0-100] [--seconds N]\n"
        "                      [--midi [--midi-volume 0-100] [--record-midi FILE]]\n"
        "       tovin-cli play --session FILE [--volume 0-100] [--from hh:mm:ss]\n"
        "                      [--seconds N] [--mix FILE]\n"
        "       tovin-cli play --tones VOICES [--volume 0-100] [--seconds N] [--mix FILE]\n"
        "\n"
        "play      plays the binaural beat tone through the default sound device until\n"
        "          Ctrl-C, or for N seconds. The left ear hears the carrier less the\n"
        "          beat, the right ear the carrier; the two exchange every 10 seconds.\n"
        "          A session takes keys on a terminal: Space pauses and resumes; Right and\n"
        "          Left go 10 s on and back, Up and Down a minute, PageUp and PageDown ten\n"
        "          minutes; + and - change the volume by 5; q or Esc end it.\n",
        {
            {"--carrier", "HZ", kCarrier, "carrier pitch, " + kCarrier + " (default 150)", kTone,
             [](const std::string& v, CommandLine& l) { return carrier(v, l.play.carrier); }},
            {"--beat", "HZ", kBeat, "beat, " + kBeat + " (default 8)", kTone,
             [](const std::string& v, CommandLine& l) { return beat(v, l.play.beat); }},
            {"--volume", "N", kLevel,
             "tone volume, 0 to 100 (default 50); with --session or --tones\n"
             "a gain on the samples (default 100)",
             kTone, [](const std::string& v, CommandLine& l) { return level(v, l.play.volume); }},
            {"--seconds", "N", "a whole number of seconds from 1",
             "play N seconds of sound, counted in frames, then stop", kTone,
             [](const std::string& v, CommandLine& l) {
                 const auto seconds = session::ReadWholeNumber(v, kMaxSeconds);
                 if (seconds && *seconds > 0) {
                     l.play.seconds = static_cast<long>(*seconds);
                 }
                 return seconds && *seconds > 0;
             }},
            {"--midi", "", "",
             "adds the MIDI accompaniment: now and then a chord on the\n"
             "half second, and a percussion hit every four seconds",
             kTone},
            {"--midi-volume", "N", kLevel, "MIDI volume, 0 to 100 (default 50)", kTone,
             [](const std::string& v, CommandLine& l) { return level(v, l.play.midiVolume); }},
            {"--record-midi", "FILE", "a file name",
             "writes every MIDI message sent to FILE, a Standard MIDI File,\n"
             "when playing ends",
             kTone,
             [](const std::string& v, CommandLine& l) { return text(v, l.play.recordMidi); }},
            {"--session", "FILE", "a file name",
             "plays a session file (*.sbg): its tone-sets, one after another\n"
             "as its time lines say, until it ends, Ctrl-C or --seconds",
             kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionPlay.source.file);
             }},
            {"--tones", "VOICES", "voices, such as \"pink/30 200+10/20\"",
             "plays one tone-set without end, e.g. \"pink/30 200+10/20\"", kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionPlay.source.tones);
             }},
            {"--from", "T", "a time as hh:mm:ss",
             "starts the session at T (hh:mm:ss) from its beginning", kSessions,
             [](const std::string& v, CommandLine& l) {
                 const auto ms = session::ReadClock(v);
                 l.sessionPlay.fromMs = ms.value_or(0);
                 return ms.has_value();
             }},
            {"--mix", "FILE", "a file name", kMixHelp, kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionPlay.source.mix);
             }},
        },
    };
}

// "-o=x.wav" reaches here as "=x.wav": a name no one means.
bool outputName(const std::string& value, std::string& out) {
    return value.rfind('=', 0) != 0 && text(value, out);
}

bool output(const std::string& value, CommandLine& line) {
    return outputName(value, line.render.path);
}

CommandTable render() {
    return {
        "render",
        "usage: tovin-cli render [--carrier HZ] [--beat HZ] [-o FILE]\n"
        "       tovin-cli render --session FILE -o OUT [--length hh:mm:ss] [--rate HZ]\n"
        "                        [--bits 16|24] [--seed N] [--mix FILE]\n"
        "       tovin-cli render --tones VOICES --length hh:mm:ss -o OUT [--rate HZ]\n"
        "                        [--bits 16|24] [--seed N] [--mix FILE]\n"
        "\n"
        "render    writes about five minutes (297.2 s) of the beat tone to a 16-bit\n"
        "          stereo WAV file, the channels exchanged every 50 blocks (18.6 s).\n"
        "          With --session or --tones it writes a session to OUT, whose extension\n"
        "          names the format: .wav, .flac, .ogg (Ogg Vorbis), .mp3 or .opus\n"
        "          (Opus at 48000 Hz unless --rate names another rate it takes).\n",
        {
            {"--carrier", "HZ", kCarrier, "carrier pitch, " + kCarrier + " (default 150)", kTone,
             [](const std::string& v, CommandLine& l) { return carrier(v, l.render.carrier); }},
            {"--beat", "HZ", kBeat, "beat, " + kBeat + " (default 8)", kTone,
             [](const std::string& v, CommandLine& l) { return beat(v, l.render.beat); }},
            {"-o", "FILE", "a file name not starting with '='",
             "the file to write, replaced if it exists (default tovin.wav;\n"
             "with --session or --tones required)",
             kTone, output},
            {"--output", "FILE", "a file name not starting with '='", "", "", output, "-o"},
            {"--session", "FILE", "a file name", "renders a session file (*.sbg) to -o OUT",
             kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionRender.source.file);
             }},
            {"--tones", "VOICES", "voices, such as \"pink/30 200+10/20\"",
             "renders one tone-set, e.g. \"pink/30 200+10/20\", --length long", kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionRender.source.tones);
             }},
            {"--length", "T", "a length as hh:mm:ss, more than zero",
             "exactly this long: cuts the session short, or follows its end\n"
             "with silence; needed when it plays without end",
             kSessions,
             [](const std::string& v, CommandLine& l) {
                 const auto ms = session::ReadClock(v);
                 if (ms && *ms > 0) {
                     l.sessionRender.lengthMs = *ms;
                 }
                 return ms && *ms > 0;
             }},
            {"--rate", "HZ", "a sample rate from 8000 to 192000 Hz",
             "8000 to 192000 (default the session's -r, else 44100)", kSessions,
             [](const std::string& v, CommandLine& l) {
                 const auto rate = session::ReadWholeNumber(v, 192000);
                 if (rate && *rate >= 8000) {
                     l.sessionRender.rate = static_cast<int>(*rate);
                 }
                 return rate && *rate >= 8000;
             }},
            {"--bits", "N", "16 or 24", "16 or 24 bits a sample (default 16; .wav and .flac only)",
             kSessions,
             [](const std::string& v, CommandLine& l) {
                 l.sessionRender.bits = v == "24" ? 24 : 16;
                 return v == "16" || v == "24";
             }},
            {"--seed", "N", "a whole number from 0 to 18446744073709551615",
             "the noise generator's seed, 0 to 2^64-1 (default 0)", kSessions,
             [](const std::string& v, CommandLine& l) {
                 const auto seed = session::ReadWholeNumber(v, UINT64_MAX);
                 l.sessionRender.seed = seed.value_or(0);
                 return seed.has_value();
             }},
            {"--mix", "FILE", "a file name", kMixHelp, kSessions,
             [](const std::string& v, CommandLine& l) {
                 return text(v, l.sessionRender.source.mix);
             }},
        },
    };
}

CommandTable check() {
    return {"check",
            "usage: tovin-cli check [--mix FILE] FILE\n"
            "\n"
            "check     reads a session file and prints what plays when: each tone-set's\n"
            "          voices and levels and how it changes into the next, and its mix file;\n"
            "          or its errors, each with its line and column, and exits with 2.\n",
            {{"--mix", "FILE", "a file name", kMixHelp, kSessions,
              [](const std::string& v, CommandLine& l) { return text(v, l.check.mix); }}}};
}

// "1600x900": each side a whole number of pixels, from 64 (room for the labels) to 8192 (a
// quarter of a gigabyte of image at most).
bool size(const std::string& value, CommandLine& line) {
    const auto by = value.find('x');
    if (by == std::string::npos) {
        return false;
    }
    const auto width = session::ReadWholeNumber(value.substr(0, by), 8192);
    const auto height = session::ReadWholeNumber(value.substr(by + 1), 8192);
    if (!width || !height || *width < 64 || *height < 64) {
        return false;
    }
    line.plot.width = static_cast<int>(*width);
    line.plot.height = static_cast<int>(*height);
    return true;
}

bool plotOutput(const std::string& value, CommandLine& line) {
    return outputName(value, line.plot.path);
}

CommandTable plot() {
    return {
        "plot",
        "usage: tovin-cli plot --session FILE -o OUT.png|OUT.svg [--size WxH]\n"
        "       tovin-cli plot --tones VOICES -o OUT.png|OUT.svg [--size WxH]\n"
        "\n"
        "plot      draws the timeline of a session: the beats, pulses and spin rates, the\n"
        "          carriers and each voice's level against time, bells as marks, the\n"
        "          periods named and the changes shaded. No display is needed.\n",
        {
            {"--session", "FILE", "a file name", "draws a session file (*.sbg)", kSessions,
             [](const std::string& v, CommandLine& l) { return text(v, l.plot.source.file); }},
            {"--tones", "VOICES", "voices, such as \"pink/30 200+10/20\"",
             "draws one tone-set, e.g. \"pink/30 200+10/20\"", kSessions,
             [](const std::string& v, CommandLine& l) { return text(v, l.plot.source.tones); }},
            {"-o", "FILE", "a file name not starting with '='",
             "the picture to write, replaced if it exists: .png or .svg", kSessions, plotOutput},
            {"--output", "FILE", "a file name not starting with '='", "", "", plotOutput, "-o"},
            {"--size", "WxH", "a size as WxH, each side 64 to 8192 pixels",
             "the picture's width and height in pixels (default 1600x900)", kSessions, size},
        }};
}

}  // namespace

const std::vector<CommandTable>& Commands() {
    static const std::vector<CommandTable> commands = {play(), render(), check(), plot()};
    return commands;
}

}  // namespace cli
