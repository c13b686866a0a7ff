// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/wave_name.h"

#include "session/session.h"

namespace session {
namespace {

constexpr const char* kBuiltIn[] = {"sine", "square", "triangle", "sawtooth"};
static_assert(kSine == 0 && kSquare == 1 && kTriangle == 2 && kSawtooth == 3);

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<int> WaveOfName(std::string_view name) {
    for (int wave = 0; wave < 4; ++wave) {
        if (name == kBuiltIn[wave]) {
            return wave;
        }
    }
    if (name.size() == 6 && name.substr(0, 4) == "wave" && isDigit(name[4]) && isDigit(name[5])) {
        return kDrawnWave + (name[4] - '0') * 10 + (name[5] - '0');
    }
    return std::nullopt;
}

std::string WaveName(int wave) {
    if (wave >= kDrawnWave) {
        const int n = wave - kDrawnWave;
        return "wave" + std::to_string(n / 10) + std::to_string(n % 10);
    }
    return kBuiltIn[wave];
}

}  // namespace session
