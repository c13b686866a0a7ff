// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of tovin-cli: a command and its options, checked completely before
// anything plays. Frequencies are read exactly, in tenths of a hertz.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session/printable.h"

namespace cli {

struct PlayOptions {
    int carrier = 1500;  // tenths of a hertz
    int beat = 80;       // tenths of a hertz
    int volume = 50;     // 0-100
    std::optional<long> seconds;
    bool midi = false;                      // the MIDI accompaniment
    int midiVolume = 50;                    // 0-100
    std::optional<std::string> recordMidi;  // Standard MIDI File of what was sent
};

struct RenderOptions {
    int carrier = 1500;  // tenths of a hertz
    int beat = 80;       // tenths of a hertz
    std::string path = "tovin.wav";
};

// Where a session comes from: a session file, or one tone-set given on the command line
// (--tones), which plays without end.
struct SessionSource {
    std::optional<std::string> file;
    std::optional<std::string> tones;
    std::optional<std::string> mix;  // --mix: the mix file, given or in place of -m
};

struct SessionPlayOptions {
    SessionSource source;
    int volume = 100;             // 0-100, applied by the device to what it plays
    std::int64_t fromMs = 0;      // --from
    std::optional<long> seconds;  // --seconds
};

struct SessionRenderOptions {
    SessionSource source;
    std::string path;                      // -o, required; the extension names the format
    std::optional<std::int64_t> lengthMs;  // --length
    std::optional<int> rate;               // --rate; otherwise the session's -r, otherwise 44100
    int bits = 16;                         // 16 or 24
    std::uint64_t seed = 0;                // --seed
};

struct PlotOptions {
    SessionSource source;
    std::string path;  // -o, required: .png or .svg
    int width = 1600;  // --size WxH, in pixels
    int height = 900;
};

struct CheckOptions {
    std::string file;
    std::optional<std::string> mix;  // --mix
};

struct CommandLine {
    enum class Kind { Play, Render, SessionPlay, SessionRender, Check, Plot, Help, Version, Error };
    Kind kind = Kind::Error;
    PlayOptions play;
    RenderOptions render;
    SessionPlayOptions sessionPlay;
    SessionRenderOptions sessionRender;
    CheckOptions check;
    PlotOptions plot;
    std::string helpFor;  // for Kind::Help: a command's name, or "" for every command
    std::string error;    // one line, for Kind::Error
};

// Reads the arguments after the program's name. Every option is checked, and how they go
// together, before anything plays; a bad command line gives a one-line error.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The help of one command ("play", "render", "check" or "plot"), or of all of them for any
// other.
std::string HelpText(const std::string& command);

// The messages of the commands repeat file names with their control bytes shown.
using session::Printable;

}  // namespace cli
