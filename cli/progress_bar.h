// SPDX-License-Identifier: GPL-3.0-or-later
// A bar on the terminal that fills as a render goes:
//     rendering out.wav [################........................]  40%  0:24:00 of 1:00:00
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// "[####......]": `done` of `total` as a bar 40 characters wide.
std::string BarText(std::int64_t done, std::int64_t total);

class ProgressBar {
  public:
    ProgressBar(std::string shownPath, std::int64_t totalFrames, int rate);

    // Redraws the line when what it shows has changed (at most a few hundred times).
    void Show(std::int64_t framesDone);
    // Ends the line.
    void Finish();

  private:
    std::string m_path;
    std::int64_t m_total;
    int m_rate;
    int m_shown = -1;  // in thousandths of the total
};

}  // namespace cli
