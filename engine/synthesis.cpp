#include "engine/beat_engine.h"
#include "engine/tone.h"

void CBeatEngine::SetTone(std::int32_t carrier, std::int32_t beat) {
    if (carrier < 1000 || carrier > 8800) {
        carrier = 1500;
    }
    m_nCarrier = carrier;
    m_nLowFreq = carrier - beat;
}

void CBeatEngine::FillBlock(std::int16_t* block) {
    const bool swap = m_bSwap != 0;
    const double stepL = tone::PhaseStep(swap ? m_nCarrier : m_nLowFreq);
    const double stepR = tone::PhaseStep(swap ? m_nLowFreq : m_nCarrier);
    double phaseL = m_dPhaseL;
    double phaseR = m_dPhaseR;
    for (int k = 0; k < kBlockFrames; ++k) {
        block[2 * k] = tone::ToSample(phaseL);
        block[2 * k + 1] = tone::ToSample(phaseR);
        phaseL = tone::NextPhase(phaseL, stepL);
        phaseR = tone::NextPhase(phaseR, stepR);
    }
    m_dPhaseL = phaseL;
    m_dPhaseR = phaseR;
}
