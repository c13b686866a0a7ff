// SPDX-License-Identifier: GPL-3.0-or-later
#include <ctime>

#include "engine/beat_engine.h"
#include "platform/crt.h"

void CBeatEngine::OnTick() {
    const std::uint32_t prev = m_nTick % 2000u;
    m_nTick = prev + 1;
    m_bSwap = prev >= 1000 ? 1 : 0;
    MusicTick();
    crt::srand(static_cast<unsigned>(std::time(nullptr)));
}
