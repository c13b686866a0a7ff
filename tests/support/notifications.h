// SPDX-License-Identifier: GPL-3.0-or-later
// A hidden window that records every message it is sent, for tests that drive the
// platform's devices and queue directly; and the audio format every test device opens.
#pragma once

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"

namespace testsupport {

constexpr plat::WAVEFORMATEX kCdFormat{plat::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

class Notifications : public plat::CWnd {
  public:
    Notifications() { CreateHidden("notifications", 0); }
    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM w, plat::LPARAM l) override {
        seen.push_back({msg, w, l, std::this_thread::get_id()});
        return 1;
    }
    long count(plat::UINT msg) const {
        return std::count_if(seen.begin(), seen.end(),
                             [msg](const Note& n) { return n.msg == msg; });
    }
    struct Note {
        plat::UINT msg;
        plat::WPARAM wParam;
        plat::LPARAM lParam;
        std::thread::id thread;
    };
    std::vector<Note> seen;
};

}  // namespace testsupport
