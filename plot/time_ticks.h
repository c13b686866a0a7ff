// SPDX-License-Identifier: GPL-3.0-or-later
// The time axis: ticks on steps a person counts in (seconds, minutes, hours), far enough
// apart for their labels, and the labels themselves.
#pragma once

#include <string>
#include <vector>

namespace plot {

// The smallest of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12, 24 h
// (then whole days) whose ticks fall at least `gap` pixels apart when `seconds` span
// `pixels`.
double TimeStep(double seconds, double pixels, double gap);

// The multiples of `step` from `from` to `to`.
std::vector<double> Ticks(double from, double to, double step);

// "1:30" (h:mm) on steps of a minute or more, else "1:30:05" (h:mm:ss).
std::string TimeLabel(double seconds, double step);

// What the axis counts in: "h:mm" or "h:mm:ss", as TimeLabel writes.
const char* TimeUnit(double step);

}  // namespace plot
