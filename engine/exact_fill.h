// SPDX-License-Identifier: GPL-3.0-or-later
// The beat tone's frames, exactly as the plain per-frame loop makes them (the runtime
// library's sin, scaled and truncated), computed faster: the phases still advance one
// frame after another, but the sines come from a polynomial evaluated four at a time,
// and the runtime library's sin is asked only where the polynomial could round to a
// different sample.
#pragma once

#include <cstdint>

namespace tone {

struct ChannelRun {
    double phase;  // radians, advanced frame by frame
    double step;   // phase advance per frame
};

// Writes `count` interleaved left/right frames to `frames` and advances both phases, with
// the same samples and the same phases as the plain loop.
void FillFrames(ChannelRun& left, ChannelRun& right, std::int16_t* frames, int count);

// The polynomial sine behind FillFrames (engine/poly_sine.h), for phases from kFastLow to
// kFastHigh, inside the range of its bound (outside them FillFrames uses the runtime
// library's sin alone). FillFrames trusts it only where its error, kPolySineError, plus the
// runtime library's own, cannot move a sample across a whole number.
constexpr double kFastLow = -1.5;
constexpr double kFastHigh = 7.8;
double FastSine(double x);

}  // namespace tone
