#include "cli/options.h"

#include <cctype>
#include <set>

namespace cli {
namespace {

constexpr long kMaxSeconds = 100L * 365 * 24 * 3600;

std::optional<long> parseWhole(const std::string& text, long max) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value > max) {
        return std::nullopt;
    }
    return value;
}

struct Range {
    long low;
    long high;
};

}  // namespace

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

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    auto fail = [&result](const std::string& message) {
        result.kind = CommandLine::Kind::Error;
        result.error = message;
        return result;
    };
    if (args.empty()) {
        return fail("missing command; try 'tovin-cli --help'");
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        result.kind = CommandLine::Kind::Help;
        return result;
    }
    if (command == "--version") {
        result.kind = CommandLine::Kind::Version;
        return result;
    }
    if (command == "render") {
        return ParseRenderCommand(args);
    }
    if (command != "play") {
        return fail("unknown command '" + command + "'; try 'tovin-cli --help'");
    }

    std::set<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name == "--help" || name == "-h") {
            result.kind = CommandLine::Kind::Help;
            return result;
        }
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name != "--carrier" && name != "--beat" && name != "--volume" && name != "--seconds" &&
            name != "--midi" && name != "--midi-volume" && name != "--record-midi") {
            return fail("unknown option '" + name + "'; try 'tovin-cli --help'");
        }
        if (!seen.insert(name).second) {
            return fail(name + ": given more than once");
        }
        if (name == "--midi") {
            if (value) {
                return fail("--midi: takes no value");
            }
            result.play.midi = true;
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return fail(name + ": missing value");
            }
            value = args[++i];
        }
        if (name == "--carrier" || name == "--beat") {
            const bool carrier = name == "--carrier";
            const Range range = carrier ? Range{1000, 8800} : Range{0, 500};
            const auto tenths = ParseTenths(*value);
            if (!tenths || *tenths < range.low || *tenths > range.high) {
                return fail(name + ": expected " + (carrier ? "100.0 to 880.0" : "0.0 to 50.0") +
                            " Hz in steps of 0.1, got '" + *value + "'");
            }
            (carrier ? result.play.carrier : result.play.beat) = static_cast<int>(*tenths);
        } else if (name == "--volume") {
            const auto volume = parseWhole(*value, 100);
            if (!volume) {
                return fail("--volume: expected a whole number from 0 to 100, got '" + *value +
                            "'");
            }
            result.play.volume = static_cast<int>(*volume);
        } else if (name == "--midi-volume") {
            const auto volume = parseWhole(*value, 100);
            if (!volume) {
                return fail("--midi-volume: expected a whole number from 0 to 100, got '" + *value +
                            "'");
            }
            result.play.midiVolume = static_cast<int>(*volume);
        } else if (name == "--record-midi") {
            if (value->empty()) {
                return fail("--record-midi: expected a file name");
            }
            result.play.recordMidi = *value;
        } else {
            const auto seconds = parseWhole(*value, kMaxSeconds);
            if (!seconds || *seconds == 0) {
                return fail("--seconds: expected a whole number of seconds from 1, got '" + *value +
                            "'");
            }
            result.play.seconds = *seconds;
        }
    }
    for (const char* midiOnly : {"--midi-volume", "--record-midi"}) {
        if (seen.count(midiOnly) != 0 && !result.play.midi) {
            return fail(std::string(midiOnly) + ": only with --midi");
        }
    }
    result.kind = CommandLine::Kind::Play;
    return result;
}

std::string UsageText() {
    return "usage: tovin-cli play [--carrier HZ] [--beat HZ] [--volume 0-100] [--seconds N]\n"
           "                      [--midi [--midi-volume 0-100] [--record-midi FILE]]\n"
           "       tovin-cli --help | --version\n"
           "\n"
           "play      plays the binaural beat tone through the default sound device until\n"
           "          Ctrl-C, or for N seconds. The left ear hears the carrier less the\n"
           "          beat, the right ear the carrier; the two exchange every 10 seconds.\n"
           "  --carrier HZ   carrier pitch, 100.0 to 880.0 Hz in steps of 0.1 (default 150)\n"
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

}  // namespace cli
