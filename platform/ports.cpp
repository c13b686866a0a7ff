// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ports.h"

#include <atomic>
#include <mutex>

#include "platform/pc_speaker.h"
#include "platform/seams.h"

namespace plat {
namespace {
std::mutex g_mutex;
PitSpeakerBridge g_bridge{PcSpeakerTone};
std::atomic<seams::PortObserver> g_observer{nullptr};
}  // namespace

void outp(WORD port, BYTE value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (const seams::PortObserver observer = g_observer.load()) {
        observer(port, value);
    }
    g_bridge.Write(port, value);
}

void seams::SetPortObserver(PortObserver observer) {
    g_observer.store(observer);
}

}  // namespace plat
