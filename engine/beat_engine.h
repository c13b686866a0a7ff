// SPDX-License-Identifier: GPL-3.0-or-later
// The object that plays: synthesis, waveform streaming through three rotating blocks, the
// 10 ms tick, and the state of the MIDI accompaniment and the speaker tone. Device
// notifications arrive through its hidden window on the user-interface thread; the tick
// runs on the timer thread.
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/periodic_timer.h"
#include "engine/render_job.h"
#include "engine/shared_word.h"
#include "platform/types.h"
#include "platform/window.h"

class CBeatEngine : public plat::CWnd, public CPeriodicTimer {
  public:
    static constexpr int kBlockFrames = 16384;
    static constexpr int kBlockBytes = kBlockFrames * 4;
    static constexpr int kBlocks = 3;

    // Playback: builds the hidden window; the tone starts with OpenOutput.
    CBeatEngine();
    // WAV render: renders the whole file before it returns (render/). No window, no
    // device, no tick; m_renderResult tells how it went.
    explicit CBeatEngine(const RenderToFile& job);
    ~CBeatEngine() override;

    // --- synthesis
    void SetTone(std::int32_t carrier, std::int32_t beat);
    void FillBlock(std::int16_t* block);

    // --- playback
    void OpenOutput();
    void StopOutput();
    void SetWaveVolume(int level);
    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;
    void OnTick() override;

    // --- speaker tone
    int CheckPlatform();
    void SpeakerInit();
    void SpeakerOff();
    void SpeakerSetFrequency(std::int32_t f);

    // --- WAV render
    // The 44-byte header for `length` bytes of sound, written at the start of `file`.
    static void WriteWavHeader(std::FILE* file, std::uint32_t length);

    // --- MIDI accompaniment
    static void SendShort(plat::HMIDIOUT device, std::int32_t status, std::int32_t data1,
                          std::int32_t data2);
    std::uint8_t NextNote();
    void PlayChord();
    void StartMidi();
    void StopMidi();
    void SetMidiVolume(std::int32_t level);
    void MusicTick();

    // Fields, in the engine's order.
    int m_bStopping = 0;
    int m_bQuitOnClose = 0;
    plat::HWAVEOUT m_hWaveOut = 0;
    std::int32_t m_nCarrier = 148;
    std::int32_t m_nLowFreq = 0;
    char* m_pBuf[kBlocks] = {};
    plat::WAVEHDR* m_pHdr[kBlocks] = {};
    plat::WAVEFORMATEX m_wfx{};
    double m_dPhaseL = 0.0;
    double m_dPhaseR = 0.0;
    SharedWord<int> m_bSwap{0};
    int m_bRenderMode = 0;
    SharedWord<std::uint32_t> m_nTick{0};
    std::uint16_t m_wSpeakerFreq = 0;
    SharedWord<plat::HMIDIOUT> m_hMidiOut{0};
    SharedWord<int> m_bMidiActive{0};
    std::uint32_t m_nDrumCount = 0;
    // Until a version query succeeds the engine behaves as on the family that leaves the
    // speaker ports alone.
    int m_bIsNT = 1;
    SharedWord<float> m_fLogR{3.5f};
    SharedWord<float> m_fLogX{0.5f};
    // How the render went, for callers that report it (the window shows nothing).
    RenderResult m_renderResult;

  private:
    void ReleaseBuffers();
    void DrawMapParameters();
};
