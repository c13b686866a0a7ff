// SPDX-License-Identifier: GPL-3.0-or-later
// The tick sends chords while the user-interface thread starts and stops the device: under
// ThreadSanitizer no race on the shared words, under AddressSanitizer no send after a close.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/message_queue.h"
#include "tests/midi/midi_fixture.h"

using namespace plat;

namespace {

class Concurrency : public miditest::CapturedEngine {};

TEST_F(Concurrency, ChordsFromTheTickWhileTheUserTogglesTheAccompaniment) {
    std::atomic<long> chords{0};
    std::jthread tick([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            engine->OnTick();
            engine->PlayChord();  // as fast as the thread can, to overlap the closes
            chords.fetch_add(1);
        }
    });
    const auto ui = std::this_thread::get_id();
    auto tickReachedADevice = [&] {
        return std::ranges::any_of(dev->Events(), [&](const auto& e) {
            return e.call == CapturingMidiDevice::Call::Send && e.thread != ui;
        });
    };
    // At least 3000 rounds, and on (for at most 20 s) until one of the tick's sends has
    // met an open device: on a busy machine the tick's thread may wait for a time slice.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int toggles = 0;
    for (;; ++toggles) {
        if (toggles >= 3000 && toggles % 256 == 0 && chords.load() > 0 &&
            (tickReachedADevice() || std::chrono::steady_clock::now() > giveUp)) {
            break;
        }
        engine->StartMidi();
        engine->SetMidiVolume(toggles % 101);
        if (toggles % 64 == 0) {
            DeliverPostedMessages();
        }
        engine->StopMidi();
    }
    tick.request_stop();
    tick.join();
    EXPECT_EQ(dev->Opens(), toggles);
    EXPECT_EQ(dev->Closes(), toggles);
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_TRUE(tickReachedADevice());
}

}  // namespace
