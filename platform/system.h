// SPDX-License-Identifier: GPL-3.0-or-later
// Small system services: sleeping, beeps and the modal message box. The box and the
// beeps reach the user through handlers, so that the console front end, the window and
// the tests can each supply their own.
#pragma once

#include <functional>
#include <string>

#include "platform/types.h"

namespace plat {

void Sleep(DWORD milliseconds);

// A tone of `frequency` Hz for `duration` ms; returns when it ends.
BOOL Beep(DWORD frequency, DWORD duration);
BOOL MessageBeep(UINT type);

// Modal message box owned by `owner`; a null caption shows the application's name.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Whether standard output (fd 1) or standard error (fd 2) is a terminal.
bool IsTerminal(int fd);

// The application's name: the executable's file name without directory or extension.
std::string ApplicationName();

using MessageBoxHandler =
    std::function<int(HWND, const std::string& text, const std::string& caption, UINT type)>;
using BeepHandler = std::function<void(UINT type)>;
using ToneHandler = std::function<void(DWORD frequency, DWORD duration)>;

// Empty handlers restore the defaults: the box is printed on stderr as one line, the
// message beep rings the terminal bell when stderr is a terminal, and Beep plays its tone
// on the default sound device.
void SetMessageBoxHandler(MessageBoxHandler handler);
void SetMessageBeepHandler(BeepHandler handler);
void SetToneHandler(ToneHandler handler);

}  // namespace plat
