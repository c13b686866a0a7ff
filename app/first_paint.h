// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up timing for bench/window_start.sh. With TOVIN_REPORT_FIRST_PAINT set in the
// environment the program writes one line to standard error once its first window has
// been painted and handed to the display:
//     tovin: first paint at SECONDS s (monotonic clock)
// The launcher compares that instant with the one at which it started the program.
// Without the variable nothing is watched and nothing is written.
#pragma once

#include <cstdio>

class QCoreApplication;

// Watches for the first paint when the variable is set; returns whether it does.
bool WatchFirstPaintIfAsked(QCoreApplication& app);

// The watch itself, writing its line to `out`.
void WatchFirstPaint(QCoreApplication& app, std::FILE* out);
