// SPDX-License-Identifier: GPL-3.0-or-later
// Waveform output: the calls the engine makes, with their usual meaning. Notifications
// (MM_WOM_OPEN, MM_WOM_DONE with the header as long parameter, MM_WOM_CLOSE, and our own
// MM_WOM_LOST when the device goes away) are posted to the window given at open and delivered on
// the user-interface thread. Blocks play back to back in queue order and are reported done in that
// order.
#pragma once

#include "platform/types.h"

namespace plat {

MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* hdr, UINT size);
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* hdr, UINT size);
MMRESULT waveOutWrite(HWAVEOUT hwo, WAVEHDR* hdr, UINT size);
MMRESULT waveOutReset(HWAVEOUT hwo);
MMRESULT waveOutClose(HWAVEOUT hwo);
// Left level in bits 0-15, right in bits 16-31; applied to a copy of each later block.
MMRESULT waveOutSetVolume(HWAVEOUT hwo, DWORD volume);
MMRESULT waveOutGetVolume(HWAVEOUT hwo, DWORD* volume);

}  // namespace plat
