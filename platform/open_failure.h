// SPDX-License-Identifier: GPL-3.0-or-later
// Why a device would not open, in words for the user: the device, and the library's own
// reason. waveOutOpen and midiOutOpen keep it per thread, like errno, until the next open
// on that thread. The window shows its fixed texts only; tovin-cli adds this line.
#pragma once

#include <string>

namespace plat {

// Empty after an open that succeeded, or when the device gave no reason.
std::string LastOpenFailure();
void SetLastOpenFailure(std::string reason);

}  // namespace plat
