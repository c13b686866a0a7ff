// The tick sends chords on its own thread while the user-interface thread starts, stops
// and closes the device. Under ThreadSanitizer this shows the shared words race-free;
// under AddressSanitizer, that no send touches a closed device's memory.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/message_queue.h"
#include "platform/midi_out.h"
#include "tests/midi/midi_fixture.h"

using namespace plat;

namespace {

class Concurrency : public miditest::CapturedEngine {};

TEST_F(Concurrency, ChordsFromTheTickWhileTheUserTogglesTheAccompaniment) {
    std::atomic<bool> done{false};
    std::atomic<long> chords{0};
    std::thread tick([&] {
        while (!done.load()) {
            engine->OnTick();
            engine->PlayChord();  // as fast as the thread can, to overlap the closes
            chords.fetch_add(1);
        }
    });
    const auto ui = std::this_thread::get_id();
    auto tickReachedADevice = [&] {
        for (const auto& e : dev->Events()) {
            if (e.call == CapturingMidiDevice::Call::Send && e.thread != ui) {
                return true;
            }
        }
        return false;
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
    done.store(true);
    tick.join();
    EXPECT_EQ(dev->Opens(), toggles);
    EXPECT_EQ(dev->Closes(), toggles);
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_TRUE(tickReachedADevice());
}

TEST_F(Concurrency, SendsRacingACloseReachTheDeviceFirstOrNotAtAll) {
    for (int round = 0; round < 300; ++round) {
        HMIDIOUT h = 0;
        ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        std::atomic<bool> go{false};
        auto sender = [&] {
            while (!go.load()) {
            }
            for (int i = 0; i < 200; ++i) {
                midiOutShortMsg(h, 0x00644090);
                midiOutSetVolume(h, 0x80008000);
                midiOutReset(h);
            }
        };
        std::thread a(sender);
        std::thread b(sender);
        go.store(true);
        midiOutClose(h);
        a.join();
        b.join();
    }
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_EQ(dev->Closes(), 300);
}

}  // namespace
