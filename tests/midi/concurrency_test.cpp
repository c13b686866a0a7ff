// The tick sends chords on its own thread while the user-interface thread starts, stops
// and closes the device. Built with ThreadSanitizer this also proves the shared words
// race-free; with AddressSanitizer, that no send touches a closed device's memory.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/message_queue.h"
#include "platform/midi_out.h"
#include "tests/midi/midi_fixture.h"

using namespace plat;

namespace {

class Concurrency : public miditest::CapturedEngine {};

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
    for (int i = 0; i < kToggles; ++i) {
        engine->StartMidi();
        engine->SetMidiVolume(i % 101);
        if (i % 64 == 0) {
            DeliverPostedMessages();  // the device notifications go to the engine
        }
        engine->StopMidi();
    }
    done.store(true);
    tick.join();
    DeliverPostedMessages();

    EXPECT_EQ(dev->Opens(), kToggles);
    EXPECT_EQ(dev->Closes(), kToggles);
    EXPECT_EQ(dev->CallsAfterClose(), 0);
    EXPECT_GT(chords.load(), 0);

    // Sends came from both threads, and some of the tick's reached an open device.
    const auto events = dev->Events();
    const auto ui = std::this_thread::get_id();
    long fromTick = 0;
    for (const auto& e : events) {
        fromTick += e.call == CapturingMidiDevice::Call::Send && e.thread != ui;
    }
    EXPECT_GT(fromTick, 0);
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
