// SPDX-License-Identifier: GPL-3.0-or-later
// A gain that moves in a straight line from one level to another over a number of frames,
// so that no change of level is ever a jump the ear hears as a click. The k-th frame of a
// ramp of L frames from a to b has the gain (a × (L − k) + b × k) / L, and b from frame L
// on: written so, a ramp from 1 to 0 gives (L − k) / L exactly.
#pragma once

#include <algorithm>

namespace player {

class GainRamp {
  public:
    explicit GainRamp(double gain = 1.0) : m_from(gain), m_to(gain) {}

    // From the gain the next frame would have had, to `to` over `frames` frames (at once
    // when `frames` is 0).
    void To(double to, int frames) {
        m_from = Current();
        m_to = to;
        m_length = std::max(frames, 0);
        m_step = 0;
    }

    // The next frame's gain, and moves past it.
    double Next() {
        const double gain = Current();
        m_step += m_step < m_length ? 1 : 0;
        return gain;
    }

    double Current() const {
        return m_step >= m_length ? m_to
                                  : (m_from * (m_length - m_step) + m_to * m_step) / m_length;
    }
    double Target() const { return m_to; }
    int Left() const { return m_length - m_step; }  // frames until it holds at Target()
    bool Settled() const { return m_step >= m_length; }

  private:
    double m_from;
    double m_to;
    int m_length = 0;
    int m_step = 0;
};

}  // namespace player
