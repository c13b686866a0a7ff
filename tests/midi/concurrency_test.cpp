// The tick sends chords on its own thread while the user-interface thread starts, stops
// and closes the device. Built with ThreadSanitizer this also proves the shared words
// race-free; with AddressSanitizer, that no send touches a closed device's memory.
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

long SendsFrom(CapturingMidiDevice& dev, std::thread::id notThis) {
    long n = 0;
    for (const auto& e : dev.Events()) {
        n += e.call == CapturingMidiDevice::Call::Send && e.thread != notThis;
    }
    return n;
}

TEST_F(Concurrency, ChordsFromTheTickWhileTheUserTogglesTheAccompaniment) {
    constexpr int kToggles = 3000;
    std::atomic<bool> done{false};
    std::atomic<long> chords{0};
    std::thread tick([&] {
        while (!done.load()) {
            // The tick's own schedule, and chords sent as fast as the thread can, so that
            // sends keep overlapping the closes.
            engine->OnTick();
            engine->PlayChord();
            chords.fetch_add(1);
        }
    });
    while (chords.load() == 0) {
        std::this_thread::yield();  // both threads run before the toggling starts
    }
    // At least kToggles rounds, and on until one of the tick's sends has met an open
    // device: on a busy machine the tick thread may get no time slice for a while.
    const auto ui = std::this_thread::get_id();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int toggles = 0;
    auto tickMetAnOpenDevice = [&] {
        return SendsFrom(*dev, ui) > 0 || std::chrono::steady_clock::now() > giveUp;
    };
    while (toggles < kToggles || toggles % 256 != 0 || !tickMetAnOpenDevice()) {
        engine->StartMidi();
        engine->SetMidiVolume(toggles % 101);
        if (toggles % 64 == 0) {
            DeliverPostedMessages();  // the device notifications go to the engine
        }
        engine->StopMidi();
        ++toggles;
    }
    done.store(true);
    tick.join();
    DeliverPostedMessages();

    EXPECT_EQ(dev->Opens(), toggles);
    EXPECT_EQ(dev->Closes(), toggles);
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_GT(SendsFrom(*dev, ui), 0);  // both threads reached an open device
}

TEST_F(Concurrency, SendsRacingACloseReachTheDeviceFirstOrNotAtAll) {
    // Two senders on a handle that the main thread closes; each device records whether a
    // call reached it after its close.
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
        EXPECT_NE(midiOutClose(h), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_EQ(dev->Closes(), 300);
}

}  // namespace
