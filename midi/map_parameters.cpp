// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "platform/crt.h"

// New logistic-map parameters: x from 0.001 to 0.999 and r from 3.000 to 3.999, in steps
// of 0.001, worked in double precision and kept in single. x is drawn first.
void CBeatEngine::DrawMapParameters() {
    const float x = static_cast<float>((crt::rand() % 999) * 0.001 + 0.001);
    const float r = static_cast<float>((crt::rand() % 1000) * 0.001 + 3.0);
    m_fLogR = r;
    m_fLogX = x;
}
