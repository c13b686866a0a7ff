// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/periodic_timer.h"

#include "platform/mm_timer.h"

using namespace plat;

CPeriodicTimer::CPeriodicTimer(UINT requested) {
    m_nPeriod = 0;
    m_nEventId = 0;
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) {
        return;
    }
    UINT period = requested < caps.wPeriodMin ? caps.wPeriodMin : requested;
    if (period >= caps.wPeriodMax) {
        period = caps.wPeriodMax;
    }
    m_nPeriod = period;
    timeBeginPeriod(m_nPeriod);
}

CPeriodicTimer::~CPeriodicTimer() {
    Stop();
    if (m_nPeriod != 0) {
        timeEndPeriod(m_nPeriod);
        m_nPeriod = 0;
    }
}

bool CPeriodicTimer::Start(UINT delay, bool oneShot) {
    const UINT id =
        timeSetEvent(delay, m_nPeriod, &CPeriodicTimer::TimerProc,
                     reinterpret_cast<DWORD_PTR>(this), oneShot ? TIME_ONESHOT : TIME_PERIODIC);
    if (id == 0) {
        return false;
    }
    m_nEventId = id;
    return true;
}

bool CPeriodicTimer::Stop() {
    if (timeKillEvent(m_nEventId) != TIMERR_NOERROR) {
        return false;
    }
    m_nEventId = 0;
    return true;
}

void CPeriodicTimer::TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<CPeriodicTimer*>(user)->OnTick();
}
