// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/beat_engine.h"

#include "platform/crt.h"
#include "platform/message_queue.h"
#include "platform/system.h"
#include "platform/wave_out.h"

using namespace plat;

namespace {

void reportFailure(CBeatEngine& engine, const char* text) {
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(engine.GetSafeHwnd(), text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

CBeatEngine::CBeatEngine() : CPeriodicTimer(1) {
    CheckPlatform();
    CreateHidden("CTovi", MainWindowHandle());
}

CBeatEngine::~CBeatEngine() {
    // The tick goes first, so that no tick runs into a half-destroyed engine.
    Stop();
    if (!m_bRenderMode) {
        // A device still open would go on reading the blocks: stop it before they go.
        // After StopOutput the handle is closed already and these calls have no effect.
        if (m_hWaveOut != 0) {
            waveOutReset(m_hWaveOut);
            waveOutClose(m_hWaveOut);
        }
        for (int i = 0; i < kBlocks; ++i) {
            if (m_pHdr[i] != nullptr) {
                waveOutUnprepareHeader(m_hWaveOut, m_pHdr[i], sizeof(WAVEHDR));
            }
        }
        ReleaseBuffers();
        SpeakerOff();
    }
}

void CBeatEngine::ReleaseBuffers() {
    // Headers 1 and 2, blocks 1 and 2, then header and block 3.
    static constexpr int kOrder[] = {0, 1};
    for (int i : kOrder) {
        crt::free(m_pHdr[i]);
        m_pHdr[i] = nullptr;
    }
    for (int i : kOrder) {
        crt::free(m_pBuf[i]);
        m_pBuf[i] = nullptr;
    }
    crt::free(m_pHdr[2]);
    m_pHdr[2] = nullptr;
    crt::free(m_pBuf[2]);
    m_pBuf[2] = nullptr;
}

void CBeatEngine::OpenOutput() {
    for (auto& hdr : m_pHdr) {
        hdr = static_cast<WAVEHDR*>(crt::malloc(sizeof(WAVEHDR)));
    }
    for (auto& buf : m_pBuf) {
        buf = static_cast<char*>(crt::malloc(kBlockBytes));
    }
    for (int i = 0; i < kBlocks; ++i) {
        if (m_pHdr[i] == nullptr || m_pBuf[i] == nullptr) {
            ReleaseBuffers();
            reportFailure(*this, "Error allocating memory!");
            return;
        }
    }

    m_bStopping = 0;
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = 2;
    m_wfx.nSamplesPerSec = 44100;
    m_wfx.nAvgBytesPerSec = 176400;
    m_wfx.nBlockAlign = 4;
    m_wfx.wBitsPerSample = 16;
    m_wfx.cbSize = 0;

    // The answer to the query is not needed: the real open below fails just the same.
    waveOutOpen(nullptr, WAVE_MAPPER, &m_wfx, 0, 0, WAVE_FORMAT_QUERY);
    HWAVEOUT handle = 0;
    if (waveOutOpen(&handle, WAVE_MAPPER, &m_wfx, GetSafeHwnd(), 0, CALLBACK_WINDOW) !=
        MMSYSERR_NOERROR) {
        ReleaseBuffers();
        m_hWaveOut = 0;
        reportFailure(*this, "Error opening waveform audio device!");
        return;
    }
    m_hWaveOut = handle;

    for (int i = 0; i < kBlocks; ++i) {
        WAVEHDR& hdr = *m_pHdr[i];
        hdr.lpData = m_pBuf[i];
        hdr.dwBufferLength = kBlockBytes;
        hdr.dwBytesRecorded = 0;
        hdr.dwUser = 0;
        hdr.dwFlags = 0;
        hdr.dwLoops = 1;
        hdr.lpNext = nullptr;
        hdr.reserved = 0;
        waveOutPrepareHeader(m_hWaveOut, &hdr, sizeof(WAVEHDR));
    }

    Start(10, false);
    SpeakerSetFrequency(23499);
    SpeakerInit();
}

void CBeatEngine::StopOutput() {
    m_bStopping = 1;
    waveOutReset(m_hWaveOut);
    waveOutClose(m_hWaveOut);
    Stop();
    m_bStopping = 1;
}

void CBeatEngine::SetWaveVolume(int level) {
    const DWORD v = static_cast<DWORD>(level * 655) & 0xFFFF;
    waveOutSetVolume(m_hWaveOut, v | (v << 16));
}

LRESULT CBeatEngine::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case MM_WOM_OPEN:
            SetWaveVolume(1);
            FillBlock(reinterpret_cast<std::int16_t*>(m_pBuf[0]));
            plat::Sleep(500);
            waveOutWrite(m_hWaveOut, m_pHdr[0], sizeof(WAVEHDR));
            FillBlock(reinterpret_cast<std::int16_t*>(m_pBuf[1]));
            waveOutWrite(m_hWaveOut, m_pHdr[1], sizeof(WAVEHDR));
            FillBlock(reinterpret_cast<std::int16_t*>(m_pBuf[2]));
            waveOutWrite(m_hWaveOut, m_pHdr[2], sizeof(WAVEHDR));
            return 1;
        case MM_WOM_DONE: {
            if (m_bStopping) {
                waveOutClose(m_hWaveOut);
                return 1;
            }
            auto* hdr = reinterpret_cast<WAVEHDR*>(lParam);
            FillBlock(reinterpret_cast<std::int16_t*>(hdr->lpData));
            waveOutWrite(m_hWaveOut, hdr, sizeof(WAVEHDR));
            const std::int32_t f = crt::rand() % 1000 + static_cast<std::int32_t>(m_nTick) + 23500;
            m_wSpeakerFreq = static_cast<std::uint16_t>(f);
            SpeakerSetFrequency(m_wSpeakerFreq);
            return 1;
        }
        case MM_WOM_CLOSE:
            for (auto* hdr : m_pHdr) {
                if (hdr != nullptr) {
                    waveOutUnprepareHeader(m_hWaveOut, hdr, sizeof(WAVEHDR));
                }
            }
            ReleaseBuffers();
            m_hWaveOut = 0;
            if (m_bQuitOnClose) {
                PostQuitMessage(0);
            }
            return 1;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) {
                break;
            }
            if (m_hWaveOut != 0) {
                m_bStopping = 1;
                m_bQuitOnClose = 1;
                waveOutReset(m_hWaveOut);
            }
            return 1;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
