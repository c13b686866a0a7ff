#include <cmath>

#include "engine/beat_engine.h"

namespace {
// The tone's own constants: a "full turn" of 6.28318 (not 2π) is part of its sound.
constexpr double kTurn = 6.28318;
constexpr double kRate = 44100.0;
constexpr double kScale = 32768.0;

std::int16_t toSample(double phase) {
    const auto v = static_cast<std::int32_t>(std::sin(phase) * kScale);
    // sin() of exactly 1.0 would give +32768, one past the largest sample.
    return static_cast<std::int16_t>(v > 32767 ? 32767 : v);
}
}  // namespace

void CBeatEngine::SetTone(std::int32_t carrier, std::int32_t beat) {
    if (carrier < 1000 || carrier > 8800) {
        carrier = 1500;
    }
    m_nCarrier = carrier;
    m_nLowFreq = carrier - beat;
}

void CBeatEngine::FillBlock(std::int16_t* block) {
    const bool swap = m_bSwap != 0;
    const double left = (swap ? m_nCarrier : m_nLowFreq) / 10.0;
    const double right = (swap ? m_nLowFreq : m_nCarrier) / 10.0;
    const double stepL = (kTurn * left) / kRate;
    const double stepR = (kTurn * right) / kRate;
    double phaseL = m_dPhaseL;
    double phaseR = m_dPhaseR;
    for (int k = 0; k < kBlockFrames; ++k) {
        block[2 * k] = toSample(phaseL);
        block[2 * k + 1] = toSample(phaseR);
        phaseL += stepL;
        phaseR += stepR;
        if (phaseL > kTurn) {
            phaseL -= kTurn;
        }
        if (phaseR > kTurn) {
            phaseR -= kTurn;
        }
    }
    m_dPhaseL = phaseL;
    m_dPhaseR = phaseR;
}
