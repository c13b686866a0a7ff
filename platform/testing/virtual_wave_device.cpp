// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/testing/virtual_wave_device.h"

namespace plat {
namespace {

class VirtualSink : public WaveSink {
  public:
    explicit VirtualSink(std::shared_ptr<VirtualWaveDevice> dev) : m_dev(std::move(dev)) {}
    bool open(const WAVEFORMATEX& format) override { return m_dev->OnOpen(format); }
    void write(const Piece& piece, const std::atomic<bool>& abort) override {
        m_dev->OnWrite(piece, abort);
    }
    bool lost() const override { return m_dev->Lost(); }
    std::uint64_t held() const override { return m_dev->Held(); }
    void interrupt() override { m_dev->OnInterrupt(); }
    void discard() override { m_dev->OnDiscard(); }
    void close() override { m_dev->OnClose(); }

  private:
    std::shared_ptr<VirtualWaveDevice> m_dev;
};

}  // namespace

std::shared_ptr<VirtualWaveDevice> VirtualWaveDevice::Install(Pace pace) {
    std::shared_ptr<VirtualWaveDevice> dev(new VirtualWaveDevice(pace));
    SetWaveSinkFactory([dev] { return std::make_unique<VirtualSink>(dev); });
    return dev;
}

void VirtualWaveDevice::Uninstall() {
    SetWaveSinkFactory(nullptr);
}

void VirtualWaveDevice::SetFailOpen(bool fail) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failOpen = fail;
}

void VirtualWaveDevice::SetLost(bool lost) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lost = lost;
    m_cv.notify_all();
}

bool VirtualWaveDevice::Lost() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lost;
}

void VirtualWaveDevice::Release(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released += count;
    m_cv.notify_all();
}

bool VirtualWaveDevice::WaitForBlocks(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [&] { return m_finished >= count; });
}

std::vector<VirtualWaveDevice::Block> VirtualWaveDevice::Blocks() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Block> finished;
    for (const Block& b : m_blocks) {
        if (b.finished) {
            finished.push_back(b);
        }
    }
    return finished;
}

int VirtualWaveDevice::Opens() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_opens;
}

int VirtualWaveDevice::Closes() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closes;
}

int VirtualWaveDevice::Discards() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_discards;
}

bool VirtualWaveDevice::OnOpen(const WAVEFORMATEX& format) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_failOpen || m_lost) {
        return false;
    }
    ++m_opens;
    m_bytesPerSecond = format.nAvgBytesPerSec;
    m_frameBytes = format.nBlockAlign != 0 ? format.nBlockAlign : 1;
    m_held = 0;
    return true;
}

void VirtualWaveDevice::OnWrite(const WaveSink::Piece& piece, const std::atomic<bool>& abort) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_held += piece.bytes / m_frameBytes;  // until played: released, or its time passed
    if (m_lost) {
        return;
    }
    if (piece.offset == 0 || m_blocks.empty()) {
        m_blocks.push_back(Block{piece.hdr, {}, false, m_opens});
    }
    const std::size_t index = m_blocks.size() - 1;
    auto finish = [&] {
        if (!m_blocks[index].finished) {
            m_blocks[index].finished = true;
            ++m_finished;
            m_cv.notify_all();
        }
    };
    m_blocks[index].bytes.insert(m_blocks[index].bytes.end(), piece.data, piece.data + piece.bytes);
    if (piece.last || abort.load()) {
        finish();
    }
    m_cv.notify_all();
    switch (m_pace) {
        case Pace::Immediate:
            m_held = 0;
            return;
        case Pace::Manual:
            // The device holds each block at its end until it is released.
            if (piece.last) {
                m_cv.wait(lock, [&] { return m_released > 0 || abort.load() || m_lost; });
                if (m_released > 0 && !abort.load() && !m_lost) {
                    --m_released;
                    m_held = 0;
                }
            }
            return;
        case Pace::RealTime: {
            const auto length =
                std::chrono::microseconds(static_cast<long long>(piece.bytes) * 1000000 /
                                          (m_bytesPerSecond ? m_bytesPerSecond : 1));
            if (m_cv.wait_for(lock, length, [&] { return abort.load() || m_lost; })) {
                finish();
            } else {
                m_held = 0;
            }
            return;
        }
    }
}

void VirtualWaveDevice::OnInterrupt() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cv.notify_all();
}

void VirtualWaveDevice::SetBuffered(std::uint64_t frames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_buffered = frames;
}

std::uint64_t VirtualWaveDevice::Held() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_held + m_buffered;
}

void VirtualWaveDevice::OnDiscard() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_discards;
    m_held = 0;
}

void VirtualWaveDevice::OnClose() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_closes;
}

}  // namespace plat
