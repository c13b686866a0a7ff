// SPDX-License-Identifier: GPL-3.0-or-later
// `tovin --sessions` and `tovin FILE.sbg ...`: the session window as the program's window.
#pragma once

#include <QStringList>

// Opens the files that can be read, each in a tab (with none named: a new session), and
// runs the window until it closes. A file that cannot be read is named on the error
// stream; when none of those named can be, no window opens and the exit code is 2.
int RunSessionWindow(int& argc, char** argv, const QStringList& files);
