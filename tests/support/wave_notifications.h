// Counts the waveform notifications a device posts, for tests that drive waveOut* directly.
#pragma once

#include "platform/types.h"
#include "platform/window.h"

namespace testsupport {

// The audio format every test device is opened with: 44.1 kHz, 16-bit stereo.
constexpr plat::WAVEFORMATEX kCdFormat{plat::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

class WaveNotifications : public plat::CWnd {
  public:
    WaveNotifications() { CreateHidden("notifications", 0); }
    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM, plat::LPARAM) override {
        done += msg == plat::MM_WOM_DONE;
        closed += msg == plat::MM_WOM_CLOSE;
        return 1;
    }
    int done = 0;
    int closed = 0;
};

}  // namespace testsupport
