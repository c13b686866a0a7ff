// SPDX-License-Identifier: GPL-3.0-or-later
// How tovin-cli reports a sound or MIDI device that would not open: the program's fixed
// text, as the window shows it, then the device's own reason on a line of its own.
#pragma once

namespace cli {

// Prints "tovin-cli: TEXT" and, when the platform knows why the last open on this thread
// failed, "tovin-cli: REASON", on standard error.
void ReportDeviceFailure(const char* text);

// From now on, the engine's message boxes are reported this way.
void ReportMessageBoxesOnStderr();

}  // namespace cli
