// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/time_ticks.h"

#include <cmath>
#include <cstdint>

#include "session/clock.h"

namespace plot {

double TimeStep(double seconds, double pixels, double gap) {
    constexpr double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    for (const double step : kSteps) {
        if (step / seconds * pixels >= gap) {
            return step;
        }
    }
    return 86400 * std::ceil(gap * seconds / pixels / 86400);
}

std::vector<double> Ticks(double from, double to, double step) {
    std::vector<double> ticks;
    for (double k = std::ceil(from / step); k * step <= to; ++k) {
        ticks.push_back(k * step);
    }
    return ticks;
}

std::string TimeLabel(double seconds, double step) {
    const auto ms = static_cast<std::int64_t>(std::llround(seconds * 1000));
    const std::string text = session::FormatClock(ms, session::ClockStyle::Running);
    return step >= 60 ? text.substr(0, text.size() - 3) : text;
}

const char* TimeUnit(double step) {
    return step >= 60 ? "h:mm" : "h:mm:ss";
}

}  // namespace plot
