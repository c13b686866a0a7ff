// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the command-line reader (arguments split at NUL bytes): it must
// return, and give an error of one printable line or options inside their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/options.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The file a render writes is one the user named: "-o FILE", "-oFILE", "--output FILE" or
// "--output=FILE".
bool named(const std::vector<std::string>& args, const std::string& path) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--output=" + path || args[i] == "-o" + path ||
            (args[i] == path && (args[i - 1] == "-o" || args[i - 1] == "--output"))) {
            return true;
        }
    }
    return path == "tovin.wav";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    const cli::CommandLine line = cli::ParseCommandLine(args);
    using Kind = cli::CommandLine::Kind;
    switch (line.kind) {
        case Kind::Error:
            require(!line.error.empty() && line.error.size() < 256);
            for (const char c : line.error) {
                require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
            }
            break;
        case Kind::Play:
            require(line.play.carrier >= 1000 && line.play.carrier <= 8800);
            require(line.play.beat >= 0 && line.play.beat <= 500);
            require(line.play.volume >= 0 && line.play.volume <= 100);
            require(line.play.midiVolume >= 0 && line.play.midiVolume <= 100);
            require(!line.play.seconds || *line.play.seconds >= 1);
            require(!line.play.recordMidi || !line.play.recordMidi->empty());
            break;
        case Kind::Render:
            require(line.render.carrier >= 1000 && line.render.carrier <= 8800);
            require(line.render.beat >= 0 && line.render.beat <= 500);
            require(!line.render.path.empty() && named(args, line.render.path));
            break;
        case Kind::SessionPlay: {
            const auto& o = line.sessionPlay;
            require(o.source.file.has_value() != o.source.tones.has_value());
            require(o.volume >= 0 && o.volume <= 100 && o.fromMs >= 0);
            require(!o.seconds || *o.seconds >= 1);
            break;
        }
        case Kind::SessionRender: {
            const auto& o = line.sessionRender;
            require(o.source.file.has_value() != o.source.tones.has_value());
            require(!o.path.empty() && named(args, o.path) && (o.bits == 16 || o.bits == 24));
            require(!o.rate || (*o.rate >= 8000 && *o.rate <= 192000));
            require(o.source.file || o.lengthMs);  // --tones plays without end
            break;
        }
        case Kind::Check:
            require(!line.check.file.empty());
            break;
        case Kind::Help:
        case Kind::Version:
            break;
    }
    return 0;
}
