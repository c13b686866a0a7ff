// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"
#include "engine/exact_fill.h"
#include "engine/tone.h"

void CBeatEngine::SetTone(std::int32_t carrier, std::int32_t beat) {
    if (carrier < tone::kMinCarrier || carrier > tone::kMaxCarrier) {
        carrier = tone::kFallbackCarrier;
    }
    m_nCarrier = carrier;
    m_nLowFreq = carrier - beat;
}

// The per-frame arithmetic of engine/tone.h, frame after frame, computed by the exact
// fast fill: the same samples and phases for a fraction of the time.
void CBeatEngine::FillBlock(std::int16_t* block) {
    const bool swap = m_bSwap != 0;
    tone::ChannelRun left{m_dPhaseL, tone::PhaseStep(swap ? m_nCarrier : m_nLowFreq)};
    tone::ChannelRun right{m_dPhaseR, tone::PhaseStep(swap ? m_nLowFreq : m_nCarrier)};
    tone::FillFrames(left, right, block, kBlockFrames);
    m_dPhaseL = left.phase;
    m_dPhaseR = right.phase;
}
