// SPDX-License-Identifier: GPL-3.0-or-later
// Asking the desktop to open something with the user's default handler.
#pragma once

#include <functional>
#include <string>

#include "platform/types.h"

namespace plat {

constexpr int SW_SHOW = 5;

// Opens `target` with the verb "open"; other verbs are refused. Returns a value above 32
// when the request was handed on, as the caller's platform does.
std::intptr_t ShellExecuteA(HWND owner, const char* verb, const char* target,
                            const char* parameters, const char* directory, int show);

using UrlOpener = std::function<void(const std::string& target)>;
// Who opens targets (the desktop integration, or a test's recorder); none: nothing opens.
void SetUrlOpener(UrlOpener opener);

}  // namespace plat
