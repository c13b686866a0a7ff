// The options of `tovin-cli render`: the same frequency checks as `play`, and the file.
#include <set>

#include "cli/options.h"

namespace cli {

CommandLine ParseRenderCommand(const std::vector<std::string>& args) {
    CommandLine result;
    auto fail = [&result](const std::string& message) {
        result.kind = CommandLine::Kind::Error;
        result.error = message;
        return result;
    };
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
        if (name == "--output") {
            name = "-o";
        }
        if (name != "--carrier" && name != "--beat" && name != "-o") {
            return fail("unknown option '" + name + "'; try 'tovin-cli --help'");
        }
        if (!seen.insert(name).second) {
            return fail(name + ": given more than once");
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return fail(name + ": missing value");
            }
            value = args[++i];
        }
        if (name == "-o") {
            if (value->empty()) {
                return fail("-o: expected a file name");
            }
            result.render.path = *value;
            continue;
        }
        const bool carrier = name == "--carrier";
        const long low = carrier ? 1000 : 0;
        const long high = carrier ? 8800 : 500;
        const auto tenths = ParseTenths(*value);
        if (!tenths || *tenths < low || *tenths > high) {
            return fail(name + ": expected " + (carrier ? "100.0 to 880.0" : "0.0 to 50.0") +
                        " Hz in steps of 0.1, got '" + *value + "'");
        }
        (carrier ? result.render.carrier : result.render.beat) = static_cast<int>(*tenths);
    }
    result.kind = CommandLine::Kind::Render;
    return result;
}

std::string RenderUsageText() {
    return "\n"
           "usage: tovin-cli render [--carrier HZ] [--beat HZ] [-o FILE]\n"
           "\n"
           "render    writes about five minutes (297.2 s) of the beat tone to a 16-bit\n"
           "          stereo WAV file, the channels exchanged every 50 blocks (18.6 s).\n"
           "  --carrier HZ   carrier pitch, 100.0 to 880.0 Hz in steps of 0.1 (default 150)\n"
           "  --beat HZ      beat, 0.0 to 50.0 Hz in steps of 0.1 (default 8)\n"
           "  -o FILE        the file to write, replaced if it exists (default tovin.wav)\n";
}

}  // namespace cli
