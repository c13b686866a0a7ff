// ALSA configuration text whose default device is the paced null device of
// paced_null_pcm.cpp: it plays nothing, at real-time pace.
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
