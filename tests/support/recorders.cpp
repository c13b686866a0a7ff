// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/recorders.h"

namespace testsupport {

UserFeedback::UserFeedback() {
    plat::SetMessageBoxHandler([this](plat::HWND owner, const std::string& text,
                                      const std::string& caption, plat::UINT type) {
        boxes.push_back(text);
        captions.push_back(caption);
        owners.push_back(owner);
        types.push_back(type);
        return 1;
    });
    plat::SetMessageBeepHandler([this](plat::UINT type) { beeps.push_back(type); });
}

UserFeedback::~UserFeedback() {
    plat::SetMessageBoxHandler(nullptr);
    plat::SetMessageBeepHandler(nullptr);
}

}  // namespace testsupport
