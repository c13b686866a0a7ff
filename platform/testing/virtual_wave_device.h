// SPDX-License-Identifier: GPL-3.0-or-later
// An in-process waveform device: it records every block it is given and hands blocks
// back when told to (manual), at real-time pace (paced), or at once (immediate). Tests
// and benchmarks install it in place of the sound card.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/wave_sink.h"

namespace plat {

class VirtualWaveDevice : public std::enable_shared_from_this<VirtualWaveDevice> {
  public:
    enum class Pace { Manual, RealTime, Immediate };

    struct Block {
        const WAVEHDR* hdr;
        std::vector<char> bytes;  // as the device received them (volume applied)
        bool finished = false;    // its last piece arrived, or a reset cut it short
        int opening = 0;          // 1 for blocks of the first opening, 2 for the second...
    };

    static std::shared_ptr<VirtualWaveDevice> Install(Pace pace);
    static void Uninstall();

    void SetFailOpen(bool fail);
    // Lost: the device is gone, as when its sound server ends. The write under way returns
    // at once, later ones record nothing and return at once, the sink says it is lost, and
    // opening fails until it is set back.
    void SetLost(bool lost);
    // Manual pace: let `count` more blocks finish.
    void Release(int count);
    // How many frames of the blocks it has finished the device says it still holds
    // unplayed, as a sound card's buffer would (0 until set).
    void SetBuffered(std::uint64_t frames);
    // Waits until at least `count` blocks have been played out (or cut short by a reset).
    bool WaitForBlocks(std::size_t count, std::chrono::milliseconds timeout);

    // The blocks played out so far, in order.
    std::vector<Block> Blocks();
    int Opens();
    int Closes();
    int Discards();

    // Used by the sink.
    bool OnOpen(const WAVEFORMATEX& format);
    bool Lost();
    std::uint64_t Held();  // frames written and not yet played (held in manual pace)
    void OnWrite(const WaveSink::Piece& piece, const std::atomic<bool>& abort);
    void OnInterrupt();
    void OnDiscard();
    void OnClose();

  private:
    explicit VirtualWaveDevice(Pace pace) : m_pace(pace) {}

    const Pace m_pace;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Block> m_blocks;
    std::size_t m_finished = 0;
    int m_released = 0;
    bool m_failOpen = false;
    bool m_lost = false;
    int m_opens = 0;
    int m_closes = 0;
    int m_discards = 0;
    DWORD m_bytesPerSecond = 176400;
    std::uint64_t m_frameBytes = 4;
    std::uint64_t m_held = 0;
    std::uint64_t m_buffered = 0;
};

}  // namespace plat
