#include "cli/progress_bar.h"

#include <cstdio>

#include "cli/clock_text.h"

namespace cli {
namespace {

constexpr int kWidth = 40;

}  // namespace

ProgressBar::ProgressBar(std::string shownPath, std::int64_t totalFrames, int rate)
    : m_path(std::move(shownPath)), m_total(totalFrames > 0 ? totalFrames : 1), m_rate(rate) {}

void ProgressBar::Show(std::int64_t framesDone) {
    const int thousandths = static_cast<int>(framesDone * 1000 / m_total);
    if (thousandths == m_shown) {
        return;
    }
    m_shown = thousandths;
    const int filled = thousandths * kWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::printf("\rrendering %s [%s] %3d%%  %s of %s", m_path.c_str(), bar.c_str(),
                thousandths / 10, ClockText(framesDone, m_rate).c_str(),
                ClockText(m_total, m_rate).c_str());
    std::fflush(stdout);
}

void ProgressBar::Finish() {
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace cli
