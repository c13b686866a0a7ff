// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/voice_signals.h"

#include <algorithm>
#include <cmath>

#include "session/sample.h"

namespace session {

double SpinRun::delayed(double delay) const {
    const double x = static_cast<double>(m_count - 1) - delay;
    const double whole = std::floor(x);
    const double f = x - whole;
    const auto i = static_cast<std::int64_t>(whole);
    const auto at = [this](std::int64_t j) { return j < 0 ? 0.0 : m_ring[j % kHistory]; };
    return f == 0.0 ? at(i) : at(i) + (at(i + 1) - at(i)) * f;
}

void SpinRun::Next(double phase, double width, double& left, double& right) {
    if (m_ring.empty()) {
        m_ring.assign(kHistory, 0.0);
    }
    m_ring[m_count % kHistory] = m_noise.Next();
    ++m_count;
    const double tau = width * std::sin(phase);
    // Within the ring whatever the width: a slide never asks for more than 2 × 10000 µs.
    const double most = kHistory - 2;
    left = delayed(std::min((width + tau) * m_perMicro, most));
    right = delayed(std::min((width - tau) * m_perMicro, most));
}

void SpinRun::Skip(std::int64_t count) {
    if (m_ring.empty()) {
        m_ring.assign(kHistory, 0.0);
    }
    // Only the last kHistory values can still be heard.
    const std::int64_t gone = std::max<std::int64_t>(0, count - kHistory);
    m_noise.Skip(gone);
    m_count += gone;
    for (std::int64_t i = gone; i < count; ++i) {
        m_ring[m_count % kHistory] = m_noise.Next();
        ++m_count;
    }
}

double BellRing::Next(std::int64_t n) {
    const std::int64_t t = n - m_strike;
    if (t < 0 || t >= m_length) {
        return 0.0;
    }
    const double value = std::exp2(-static_cast<double>(t) / m_halving) * std::sin(m_phase);
    m_phase += m_step;
    if (m_phase >= kTwoPi) {
        m_phase -= kTwoPi;
    }
    return value;
}

}  // namespace session
