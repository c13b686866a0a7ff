#include "cli/options.h"

#include <cctype>
#include <functional>
#include <map>
#include <set>

#include "engine/tone.h"

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

}  // namespace

std::string Printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            static const char kHex[] = "0123456789abcdef";
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            out += c;
        }
    }
    return out;
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
        if (name == "--help" || name == "-h") {
            CommandLine help;
            help.kind = CommandLine::Kind::Help;
            return help;
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

CommandLine parsePlay(const std::vector<std::string>& args) {
    CommandLine result;
    PlayOptions& play = result.play;
    std::set<std::string> seen;
    const auto stop = readOptions(
        args, {"--carrier", "--beat", "--volume", "--seconds", "--midi-volume", "--record-midi"},
        {"--midi"}, {}, seen, [&play](const std::string& name, const std::string& value) {
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
    play.midi = seen.count("--midi") != 0;
    for (const char* midiOnly : {"--midi-volume", "--record-midi"}) {
        if (seen.count(midiOnly) != 0 && !play.midi) {
            return failure(std::string(midiOnly) + ": only with --midi");
        }
    }
    result.kind = CommandLine::Kind::Play;
    return result;
}

CommandLine parseRender(const std::vector<std::string>& args) {
    CommandLine result;
    RenderOptions& render = result.render;
    std::set<std::string> seen;
    // --output is the long spelling of -o.
    const auto stop =
        readOptions(args, {"--carrier", "--beat", "-o", "--output"}, {}, {{"--output", "-o"}}, seen,
                    [&render](const std::string& name, const std::string& value) {
                        if (name == "--carrier" || name == "--beat") {
                            return readFrequency(
                                name, value, name == "--carrier" ? render.carrier : render.beat);
                        }
                        if (value.empty()) {
                            return name + ": expected a file name";
                        }
                        render.path = value;
                        return std::string();
                    });
    if (stop) {
        return *stop;
    }
    result.kind = CommandLine::Kind::Render;
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
    return failure("unknown command " + shown(command) + "; try 'tovin-cli --help'");
}

std::string UsageText() {
    return "usage: tovin-cli play [--carrier HZ] [--beat HZ] [--volume 0-100] [--seconds N]\n"
           "                      [--midi [--midi-volume 0-100] [--record-midi FILE]]\n"
           "       tovin-cli --help | --version\n"
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
           "                 when playing ends\n";
}

std::string RenderUsageText() {
    return "\n"
           "usage: tovin-cli render [--carrier HZ] [--beat HZ] [-o FILE]\n"
           "\n"
           "render    writes about five minutes (297.2 s) of the beat tone to a 16-bit\n"
           "          stereo WAV file, the channels exchanged every 50 blocks (18.6 s).\n"
           "  --carrier HZ   carrier pitch, " +
           carrierRange() +
           " Hz in steps of 0.1 (default 150)\n"
           "  --beat HZ      beat, 0.0 to 50.0 Hz in steps of 0.1 (default 8)\n"
           "  -o FILE        the file to write, replaced if it exists (default tovin.wav)\n";
}

}  // namespace cli
