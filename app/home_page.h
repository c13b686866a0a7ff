// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/types.h"

// The page the About box's link and F1 open: the README installed with the program, until
// the project has a web address of its own. A build that was never installed has the one
// of the source tree it was built from instead.
struct HelpPages {
    std::string installed = TOVIN_DOC_DIR "/README.md";
    std::string source = TOVIN_SOURCE_DIR "/README.md";
};

// Where to look from now on (tests point it elsewhere); the default is the two above.
void SetHelpPages(HelpPages pages);

// Opens the first of the pages that exists with the desktop's handler; when neither
// exists, says so in a message box owned by `owner`, as the window reports its failures.
void OpenHelpPage(plat::HWND owner);
