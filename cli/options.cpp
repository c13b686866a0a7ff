#include "cli/options.h"

#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <set>

#include "engine/tone.h"
#include "session/printable.h"

namespace cli {
namespace {

constexpr long kMaxSeconds = 100L * 365 * 24 * 3600;

// A plain run of digits no greater than `max`; leading zeros are fine, and the value is
// checked digit by digit so that no length of input can overflow it.
std::optional<long> parseWhole(const std::string& text, long max) {
    if (text.empty()) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > max) {
            return std::nullopt;
        }
    }
    return value;
}

// A word the user typed, as an error message repeats it: quoted, shown printable, and cut
// short after 40 bytes.
std::string shown(const std::string& text) {
    constexpr std::size_t kLongest = 40;
    if (text.size() <= kLongest) {
        return "'" + Printable(text) + "'";
    }
    std::size_t end = kLongest;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;  // not inside a UTF-8 character
    }
    return "'" + Printable(text.substr(0, end)) + "'...";
}

struct Range {
    long low;
    long high;
};

// Tenths of a hertz as the user writes them: 1000 is "100.0".
std::string hertz(long tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// "100.0 to 880.0", from the engine's own range.
std::string carrierRange() {
    return hertz(tone::kMinCarrier) + " to " + hertz(tone::kMaxCarrier);
}

// The longest time a session reaches (1000 days), in hours.
constexpr long kMaxHours = 24000;

// "h:mm:ss" (hours any number of digits up to kMaxHours; minutes and seconds one or two
// digits, 0 to 59) as milliseconds.
std::optional<std::int64_t> parseClock(const std::string& text) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) {
        return std::nullopt;
    }
    const auto hours = parseWhole(text.substr(0, first), kMaxHours);
    const std::string mm = text.substr(first + 1, second - first - 1);
    const std::string ss = text.substr(second + 1);
    const auto minutes = mm.size() <= 2 ? parseWhole(mm, 59) : std::nullopt;
    const auto seconds = ss.size() <= 2 ? parseWhole(ss, 59) : std::nullopt;
    if (!hours || !minutes || !seconds) {
        return std::nullopt;
    }
    return ((*hours * 60 + *minutes) * 60 + *seconds) * 1000LL;
}

// A whole number from 0 to 2^64 - 1, checked before each digit so that it cannot wrap.
std::optional<std::uint64_t> parseSeed(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

// The extension of a sound file, lower case: "wav", "flac", "ogg", or "" for any other.
std::string soundFormat(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "";
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext == "wav" || ext == "flac" || ext == "ogg" ? ext : "";
}

// Options of the fixed tone that have no meaning for a session.
const char* const kToneOnly[] = {"--carrier", "--beat", "--midi", "--midi-volume", "--record-midi"};

}  // namespace

std::string Printable(const std::string& text) {
    return session::Printable(text);
}

std::optional<long> ParseTenths(const std::string& text) {
    const auto dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || (dot != std::string::npos && fraction.empty())) {
        return std::nullopt;
    }
    const auto units = parseWhole(whole, 1000000);
    if (!units) {
        return std::nullopt;
    }
    long tenths = *units * 10;
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        const char c = fraction[i];
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        if (i == 0) {
            tenths += c - '0';
        } else if (c != '0') {
            return std::nullopt;  // finer than a tenth
        }
    }
    return tenths;
}

namespace {

CommandLine failure(const std::string& message) {
    CommandLine result;
    result.kind = CommandLine::Kind::Error;
    result.error = message;
    return result;
}

// --help or --version anywhere after a command answers at once, whatever else is there:
// the help of that command alone, or the version.
std::optional<CommandLine> helpOrVersion(const std::string& command, const std::string& arg) {
    CommandLine result;
    if (arg == "--help" || arg == "-h") {
        result.kind = CommandLine::Kind::Help;
        result.helpFor = command;
        return result;
    }
    if (arg == "--version") {
        result.kind = CommandLine::Kind::Version;
        return result;
    }
    return std::nullopt;
}

// Reads one option's value; returns an error line, or "" when the value was taken.
using ValueReader = std::function<std::string(const std::string& name, const std::string& value)>;

// Walks the options after the command: "--name value" or "--name=value", flags without a
// value, --help. Unknown and repeated options are errors; `aliases` maps a second spelling
// to the option it stands for, so that giving both counts as a repeat. Messages and `read`
// get the spelling the user typed. Returns the result to give back at once (an error, or
// help), or nothing when every option was read.
std::optional<CommandLine> readOptions(const std::vector<std::string>& args,
                                       const std::set<std::string>& withValue,
                                       const std::set<std::string>& flags,
                                       const std::map<std::string, std::string>& aliases,
                                       std::set<std::string>& seen, const ValueReader& read) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto asked = helpOrVersion(args[0], name)) {
            return asked;
        }
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const bool flag = flags.count(name) != 0;
        if (!flag && withValue.count(name) == 0) {
            return failure("unknown option " + shown(name) + "; try 'tovin-cli --help'");
        }
        const auto alias = aliases.find(name);
        if (!seen.insert(alias != aliases.end() ? alias->second : name).second) {
            return failure(name + ": given more than once");
        }
        if (flag) {
            if (value) {
                return failure(name + ": takes no value");
            }
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return failure(name + ": missing value");
            }
            value = args[++i];
        }
        if (const std::string error = read(name, *value); !error.empty()) {
            return failure(error);
        }
    }
    return std::nullopt;
}

// --carrier and --beat, in tenths of a hertz; "" when `out` was set.
std::string readFrequency(const std::string& name, const std::string& value, int& out) {
    const bool carrier = name == "--carrier";
    const Range range = carrier ? Range{tone::kMinCarrier, tone::kMaxCarrier} : Range{0, 500};
    const auto tenths = ParseTenths(value);
    if (!tenths || *tenths < range.low || *tenths > range.high) {
        return name + ": expected " + (carrier ? carrierRange() : "0.0 to 50.0") +
               " Hz in steps of 0.1, got " + shown(value);
    }
    out = static_cast<int>(*tenths);
    return "";
}

std::string readLevel(const std::string& name, const std::string& value, int& out) {
    const auto level = parseWhole(value, 100);
    if (!level) {
        return name + ": expected a whole number from 0 to 100, got " + shown(value);
    }
    out = static_cast<int>(*level);
    return "";
}

// --session and --tones; "-" for any other option, "" when `source` took the value.
std::string readSource(const std::string& name, const std::string& value, SessionSource& source) {
    if (name == "--session") {
        if (value.empty()) {
            return "--session: expected a file name";
        }
        source.file = value;
        return "";
    }
    if (name == "--tones") {
        if (value.empty()) {
            return "--tones: expected voices, such as \"pink/30 200+10/20\"";
        }
        source.tones = value;
        return "";
    }
    return "-";
}

// A session comes from one source, and the fixed tone's own options do not apply to it.
template <std::size_t N>
std::string checkSource(const std::set<std::string>& seen, const char* const (&toneOnly)[N]) {
    const bool file = seen.count("--session") != 0;
    const bool tones = seen.count("--tones") != 0;
    if (file && tones) {
        return "--tones: not with --session (one or the other)";
    }
    if (!file && !tones) {
        return "";
    }
    for (const char* option : toneOnly) {
        if (seen.count(option) != 0) {
            return std::string(option) + ": not with " + (file ? "--session" : "--tones");
        }
    }
    return "";
}

CommandLine parsePlay(const std::vector<std::string>& args) {
    CommandLine result;
    PlayOptions& play = result.play;
    std::set<std::string> seen;
    SessionPlayOptions& session = result.sessionPlay;
    const auto stop = readOptions(
        args,
        {"--carrier", "--beat", "--volume", "--seconds", "--midi-volume", "--record-midi",
         "--session", "--tones", "--from"},
        {"--midi"}, {}, seen, [&play, &session](const std::string& name, const std::string& value) {
            if (const std::string error = readSource(name, value, session.source); error != "-") {
                return error;
            }
            if (name == "--from") {
                const auto ms = parseClock(value);
                if (!ms) {
                    return "--from: expected a time as hh:mm:ss, got " + shown(value);
                }
                session.fromMs = *ms;
                return std::string();
            }
            if (name == "--carrier") {
                return readFrequency(name, value, play.carrier);
            }
            if (name == "--beat") {
                return readFrequency(name, value, play.beat);
            }
            if (name == "--volume") {
                return readLevel(name, value, play.volume);
            }
            if (name == "--midi-volume") {
                return readLevel(name, value, play.midiVolume);
            }
            if (name == "--record-midi") {
                if (value.empty()) {
                    return std::string("--record-midi: expected a file name");
                }
                play.recordMidi = value;
                return std::string();
            }
            const auto seconds = parseWhole(value, kMaxSeconds);
            if (!seconds || *seconds == 0) {
                return "--seconds: expected a whole number of seconds from 1, got " + shown(value);
            }
            play.seconds = *seconds;
            return std::string();
        });
    if (stop) {
        return *stop;
    }
    if (const std::string error = checkSource(seen, kToneOnly); !error.empty()) {
        return failure(error);
    }
    if (session.source.file || session.source.tones) {
        if (session.source.tones && seen.count("--from") != 0) {
            return failure("--from: only with --session");
        }
        session.volume = seen.count("--volume") != 0 ? play.volume : 100;
        session.seconds = play.seconds;
        result.kind = CommandLine::Kind::SessionPlay;
        return result;
    }
    if (seen.count("--from") != 0) {
        return failure("--from: only with --session");
    }
    play.midi = seen.count("--midi") != 0;
    for (const char* midiOnly : {"--midi-volume", "--record-midi"}) {
        if (seen.count(midiOnly) != 0 && !play.midi) {
            return failure(std::string(midiOnly) + ": only with --midi");
        }
    }
    result.kind = CommandLine::Kind::Play;
    return result;
}

// A session render's own options; "-" for any other option, "" when the value was taken.
std::string readSessionRender(const std::string& name, const std::string& value,
                              SessionRenderOptions& render) {
    if (const std::string error = readSource(name, value, render.source); error != "-") {
        return error;
    }
    if (name == "--length") {
        const auto ms = parseClock(value);
        if (!ms || *ms == 0) {
            return "--length: expected a length as hh:mm:ss, more than zero, got " + shown(value);
        }
        render.lengthMs = *ms;
    } else if (name == "--rate") {
        const auto rate = parseWhole(value, 192000);
        if (!rate || *rate < 8000) {
            return "--rate: expected a sample rate from 8000 to 192000 Hz, got " + shown(value);
        }
        render.rate = static_cast<int>(*rate);
    } else if (name == "--bits") {
        if (value != "16" && value != "24") {
            return "--bits: expected 16 or 24, got " + shown(value);
        }
        render.bits = value == "16" ? 16 : 24;
    } else if (name == "--seed") {
        const auto seed = parseSeed(value);
        if (!seed) {
            return "--seed: expected a whole number from 0 to 18446744073709551615, got " +
                   shown(value);
        }
        render.seed = *seed;
    } else {
        return "-";
    }
    return "";
}

CommandLine parseRender(const std::vector<std::string>& args) {
    CommandLine result;
    RenderOptions& render = result.render;
    SessionRenderOptions& session = result.sessionRender;
    std::set<std::string> seen;
    std::string output = "-o";  // as the user spelled it
    // --output is the long spelling of -o.
    const auto stop = readOptions(
        args,
        {"--carrier", "--beat", "-o", "--output", "--session", "--tones", "--length", "--rate",
         "--bits", "--seed"},
        {}, {{"--output", "-o"}}, seen,
        [&render, &session, &output](const std::string& name, const std::string& value) {
            if (const std::string error = readSessionRender(name, value, session); error != "-") {
                return error;
            }
            if (name == "--carrier" || name == "--beat") {
                return readFrequency(name, value,
                                     name == "--carrier" ? render.carrier : render.beat);
            }
            if (value.empty()) {
                return name + ": expected a file name";
            }
            render.path = value;
            output = name;
            return std::string();
        });
    if (stop) {
        return *stop;
    }
    const char* const toneOnly[] = {"--carrier", "--beat"};
    if (const std::string error = checkSource(seen, toneOnly); !error.empty()) {
        return failure(error);
    }
    if (!session.source.file && !session.source.tones) {
        for (const char* option : {"--length", "--rate", "--bits", "--seed"}) {
            if (seen.count(option) != 0) {
                return failure(std::string(option) + ": only with --session or --tones");
            }
        }
        result.kind = CommandLine::Kind::Render;
        return result;
    }
    if (seen.count("-o") == 0) {
        return failure("-o: required with " +
                       std::string(session.source.file ? "--session" : "--tones") +
                       ": the file to write (.wav, .flac or .ogg)");
    }
    const std::string format = soundFormat(render.path);
    if (format.empty()) {
        return failure(output + ": expected a file name ending in .wav, .flac or .ogg, got " +
                       shown(render.path));
    }
    if (session.source.tones && !session.lengthMs) {
        return failure("--length: required with --tones, which play without end");
    }
    if (session.bits == 24 && format == "ogg") {
        return failure("--bits: 24 is not possible with .ogg (Ogg Vorbis has no bit depth)");
    }
    session.path = render.path;
    result.kind = CommandLine::Kind::SessionRender;
    return result;
}

CommandLine parseCheck(const std::vector<std::string>& args) {
    CommandLine result;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (const auto asked = helpOrVersion("check", arg)) {
            return *asked;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            return failure("unknown option " + shown(arg) + "; try 'tovin-cli --help'");
        }
        if (arg.empty()) {
            return failure("check: expected a file name");
        }
        if (!result.check.file.empty()) {
            return failure("check: expected one session file, got another: " + shown(arg));
        }
        result.check.file = arg;
    }
    if (result.check.file.empty()) {
        return failure("check: expected a session file; try 'tovin-cli --help'");
    }
    result.kind = CommandLine::Kind::Check;
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) {
        return failure("missing command; try 'tovin-cli --help'");
    }
    const std::string& command = args[0];
    CommandLine result;
    if (command == "--help" || command == "-h" || command == "help") {
        result.kind = CommandLine::Kind::Help;
        return result;
    }
    if (command == "--version") {
        if (args.size() > 1) {
            return failure("--version: unexpected " + shown(args[1]));
        }
        result.kind = CommandLine::Kind::Version;
        return result;
    }
    if (command == "render") {
        return parseRender(args);
    }
    if (command == "play") {
        return parsePlay(args);
    }
    if (command == "check") {
        return parseCheck(args);
    }
    return failure("unknown command " + shown(command) + "; try 'tovin-cli --help'");
}

namespace {

// Each command's help says what its manual page says, shorter; the options a command
// shares with another are repeated so that each help stands alone.
std::string playHelp() {
    return "usage: tovin-cli play [--carrier HZ] [--beat HZ] [--volume 0-100] [--seconds N]\n"
           "                      [--midi [--midi-volume 0-100] [--record-midi FILE]]\n"
           "       tovin-cli play --session FILE [--volume 0-100] [--from hh:mm:ss]\n"
           "                      [--seconds N]\n"
           "       tovin-cli play --tones VOICES [--volume 0-100] [--seconds N]\n"
           "\n"
           "play      plays the binaural beat tone through the default sound device until\n"
           "          Ctrl-C, or for N seconds. The left ear hears the carrier less the\n"
           "          beat, the right ear the carrier; the two exchange every 10 seconds.\n"
           "  --carrier HZ   carrier pitch, " +
           carrierRange() +
           " Hz in steps of 0.1 (default 150)\n"
           "  --beat HZ      beat, 0.0 to 50.0 Hz in steps of 0.1 (default 8)\n"
           "  --volume N     tone volume, 0 to 100 (default 50)\n"
           "  --seconds N    stop after N seconds\n"
           "  --midi         adds the MIDI accompaniment: now and then a chord on the\n"
           "                 half second, and a percussion hit every four seconds\n"
           "  --midi-volume N\n"
           "                 MIDI volume, 0 to 100 (default 50)\n"
           "  --record-midi FILE\n"
           "                 writes every MIDI message sent to FILE, a Standard MIDI File,\n"
           "                 when playing ends\n"
           "  --session FILE plays a session file (*.sbg): its tone-sets, one after another\n"
           "                 as its time lines say, until it ends, Ctrl-C or --seconds\n"
           "  --tones VOICES plays one tone-set without end, e.g. \"pink/30 200+10/20\"\n"
           "  --volume N     with --session or --tones: 0 to 100 (default 100)\n"
           "  --from T       starts the session at T (hh:mm:ss) from its beginning\n"
           "  --help         shows this help; --version prints the version\n";
}

std::string renderHelp() {
    return "usage: tovin-cli render [--carrier HZ] [--beat HZ] [-o FILE]\n"
           "       tovin-cli render --session FILE -o OUT [--length hh:mm:ss] [--rate HZ]\n"
           "                        [--bits 16|24] [--seed N]\n"
           "       tovin-cli render --tones VOICES --length hh:mm:ss -o OUT [--rate HZ]\n"
           "                        [--bits 16|24] [--seed N]\n"
           "\n"
           "render    writes about five minutes (297.2 s) of the beat tone to a 16-bit\n"
           "          stereo WAV file, the channels exchanged every 50 blocks (18.6 s).\n"
           "  --carrier HZ   carrier pitch, " +
           carrierRange() +
           " Hz in steps of 0.1 (default 150)\n"
           "  --beat HZ      beat, 0.0 to 50.0 Hz in steps of 0.1 (default 8)\n"
           "  -o FILE, --output FILE\n"
           "                 the file to write, replaced if it exists (default tovin.wav)\n"
           "\n"
           "          With --session or --tones it writes a session to OUT, whose extension\n"
           "          names the format: .wav, .flac or .ogg (Ogg Vorbis).\n"
           "  --length T     exactly this long: cuts the session short, or follows its end\n"
           "                 with silence; needed when it plays without end\n"
           "  --rate HZ      8000 to 192000 (default the session's -r, else 44100)\n"
           "  --bits N       16 or 24 bits a sample (default 16; not for .ogg)\n"
           "  --seed N       the noise generator's seed, 0 to 2^64-1 (default 0)\n"
           "  --help         shows this help; --version prints the version\n";
}

std::string checkHelp() {
    return "usage: tovin-cli check FILE\n"
           "\n"
           "check     reads a session file and prints what plays when: each tone-set's\n"
           "          voices and levels and how it changes into the next; or its errors,\n"
           "          each with its line and column, and exits with 2.\n"
           "  --help         shows this help; --version prints the version\n";
}

}  // namespace

std::string HelpText(const std::string& command) {
    if (command == "play") {
        return playHelp();
    }
    if (command == "render") {
        return renderHelp();
    }
    if (command == "check") {
        return checkHelp();
    }
    return playHelp() + "\n" + renderHelp() + "\n" + checkHelp() +
           "\n"
           "tovin-cli --version prints the version. Exit status: 0 when done, 1 when the sound\n"
           "device or a file fails, 2 for a bad command line or session file.\n"
           "More in the manual pages tovin-cli(1) and tovin-session(5).\n";
}

}  // namespace cli
