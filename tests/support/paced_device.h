// SPDX-License-Identifier: GPL-3.0-or-later
// ALSA configuration for the paced null device (platform/testing): nothing, in real time.
#pragma once

#include <string>

namespace testsupport {

inline std::string PacedDeviceType() {
    return "pcm_type.tovin_paced { lib \"" TOVIN_PACED_PCM_PATH "\" }\n";
}

inline std::string PacedDeviceConfig() {
    return PacedDeviceType() + "pcm.!default { type tovin_paced }\n";
}

}  // namespace testsupport
