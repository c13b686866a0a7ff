// SPDX-License-Identifier: GPL-3.0-or-later
// Records what the engine shows the user (message boxes and beeps) instead of showing it.
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace testsupport {

class UserFeedback {
  public:
    UserFeedback();
    ~UserFeedback();

    std::vector<std::string> boxes;  // texts, in order
    std::vector<std::string> captions;
    std::vector<plat::HWND> owners;
    std::vector<plat::UINT> types;
    std::vector<plat::UINT> beeps;
};

}  // namespace testsupport
