// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_bar.h"

#include <cstdio>

#include "session/clock.h"

namespace cli {
namespace {

constexpr int kWidth = 40;
constexpr auto kClock = session::ClockStyle::Running;

}  // namespace

std::string BarText(std::int64_t done, std::int64_t total) {
    const auto filled = static_cast<std::size_t>(done * kWidth / total);
    return "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "]";
}

ProgressBar::ProgressBar(std::string shownPath, std::int64_t totalFrames, int rate)
    : m_path(std::move(shownPath)), m_total(totalFrames > 0 ? totalFrames : 1), m_rate(rate) {}

void ProgressBar::Show(std::int64_t framesDone) {
    const int thousandths = static_cast<int>(framesDone * 1000 / m_total);
    if (thousandths == m_shown) {
        return;
    }
    m_shown = thousandths;
    std::printf("\rrendering %s %s %3d%%  %s of %s", m_path.c_str(),
                BarText(thousandths, 1000).c_str(), thousandths / 10,
                session::FormatFrames(framesDone, m_rate, kClock).c_str(),
                session::FormatFrames(m_total, m_rate, kClock).c_str());
    std::fflush(stdout);
}

void ProgressBar::Finish() {
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace cli
