#include "tests/support/recorders.h"

namespace testsupport {

UserFeedback::UserFeedback() {
    plat::SetMessageBoxHandler(
        [this](plat::HWND, const std::string& text, const std::string& caption, plat::UINT) {
            boxes.push_back(text);
            captions.push_back(caption);
            return 1;
        });
    plat::SetMessageBeepHandler([this](plat::UINT type) { beeps.push_back(type); });
}

UserFeedback::~UserFeedback() {
    plat::SetMessageBoxHandler(nullptr);
    plat::SetMessageBeepHandler(nullptr);
}

}  // namespace testsupport
