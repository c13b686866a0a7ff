// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <filesystem>

#include "platform/fluid_synth_sink.h"

namespace plat {

std::vector<std::string> DefaultSoundFontPaths() {
    return {
        "/usr/share/sounds/sf2/default-GM.sf2",  // Debian's choice among those installed
        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/soundfonts/default.sf2",    "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/soundfonts/TimGM6mb.sf2",
    };
}

std::string FindSoundFont(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec) && access(path.c_str(), R_OK) == 0) {
            return path;
        }
    }
    return {};
}

}  // namespace plat
