// SPDX-License-Identifier: GPL-3.0-or-later
// A periodic (or one-shot) tick on the multimedia timer's own thread. Derived classes
// override OnTick.
#pragma once

#include "platform/types.h"

class CPeriodicTimer {
  public:
    // Reserves `requested` ms of timer resolution, clamped to what the platform supports.
    explicit CPeriodicTimer(plat::UINT requested);
    virtual ~CPeriodicTimer();
    CPeriodicTimer(const CPeriodicTimer&) = delete;
    CPeriodicTimer& operator=(const CPeriodicTimer&) = delete;

    virtual void OnTick() {}

    bool Start(plat::UINT delay, bool oneShot);
    bool Stop();

    plat::UINT m_nPeriod = 0;
    plat::UINT m_nEventId = 0;

  private:
    static void TimerProc(plat::UINT id, plat::UINT msg, plat::DWORD_PTR user, plat::DWORD_PTR dw1,
                          plat::DWORD_PTR dw2);
};
