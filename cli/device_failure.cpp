// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_failure.h"

#include <cstdio>
#include <string>

#include "cli/options.h"
#include "platform/open_failure.h"
#include "platform/system.h"

namespace cli {

void ReportDeviceFailure(const char* text) {
    std::fprintf(stderr, "tovin-cli: %s\n", text);
    if (const std::string reason = plat::LastOpenFailure(); !reason.empty()) {
        std::fprintf(stderr, "tovin-cli: %s\n", Printable(reason).c_str());
    }
}

void ReportMessageBoxesOnStderr() {
    plat::SetMessageBoxHandler(
        [](plat::HWND, const std::string& text, const std::string&, plat::UINT) {
            ReportDeviceFailure(text.c_str());
            return 1;  // IDOK
        });
}

}  // namespace cli
