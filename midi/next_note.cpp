// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"

// One step of the logistic map x <- r x (1 - x), each product stored in single precision
// so that the sequence of roots is the same wherever it runs; the root then spans two
// octaves upward from middle C.
std::uint8_t CBeatEngine::NextNote() {
    const float r = m_fLogR;
    const float x = m_fLogX;
    const float rx = r * x;
    const float rest = 1.0f - x;
    const float next = rx * rest;
    m_fLogX = next;
    const auto k = static_cast<std::int32_t>(static_cast<double>(next) * 24.0);
    return static_cast<std::uint8_t>((k & 0xFF) + 60);
}
