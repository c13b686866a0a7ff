// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "engine/beat_engine.h"
#include "platform/ports.h"
#include "platform/version.h"

using namespace plat;

namespace {
constexpr WORD kCounter2 = 0x42;
constexpr WORD kTimerMode = 0x43;
constexpr WORD kSpeakerGate = 0x61;
constexpr BYTE kGateOff = 0xFC;
constexpr BYTE kGateOn = 0x03;
constexpr BYTE kSquareWaveLowHigh = 0xB6;
constexpr double kTimerClock = 1193180.0;
}  // namespace

int CBeatEngine::CheckPlatform() {
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!GetVersionExA(&info)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(&info)) {
            return 0;
        }
    }
    switch (info.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
        case VER_PLATFORM_WIN32_WINDOWS:
            m_bIsNT = 0;
            return 0;
        case VER_PLATFORM_WIN32_NT:
            m_bIsNT = 1;
            return 1;
        default:
            return 0;
    }
}

void CBeatEngine::SpeakerInit() {
    if (m_bIsNT) {
        return;
    }
    outp(kSpeakerGate, kGateOff);
    outp(kTimerMode, kSquareWaveLowHigh);
}

void CBeatEngine::SpeakerOff() {
    if (m_bIsNT) {
        return;
    }
    outp(kSpeakerGate, kGateOff);
}

void CBeatEngine::SpeakerSetFrequency(std::int32_t f) {
    if (m_bIsNT) {
        return;
    }
    const auto hz = static_cast<std::uint16_t>(f);
    // Below 19 Hz the divisor no longer fits the counter (and 0 has none at all).
    if (hz < 19) {
        return;
    }
    const auto divisor =
        static_cast<std::uint16_t>(static_cast<std::int32_t>(kTimerClock / hz + 0.5));
    outp(kSpeakerGate, kGateOff);
    outp(kCounter2, static_cast<BYTE>(divisor & 0xFF));
    outp(kCounter2, static_cast<BYTE>(divisor >> 8));
    outp(kSpeakerGate, kGateOn);
}
