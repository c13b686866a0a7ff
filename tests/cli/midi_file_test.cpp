// The recording of a session: the words the engine sent, as a Standard MIDI File, read
// back with a reader of the test's own.
#include "cli/midi_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include "cli/midi_log.h"
#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/testing/capturing_midi_device.h"

using namespace plat;

namespace {

struct Event {
    std::uint32_t tick;
    std::vector<std::uint8_t> bytes;  // as in the file, the SysEx length left out
    bool operator==(const Event& o) const { return tick == o.tick && bytes == o.bytes; }
};

struct ParsedFile {
    int format = -1;
    int tracks = -1;
    int division = -1;
    std::uint32_t tempo = 0;
    std::vector<Event> events;  // channel and SysEx events, absolute ticks
    std::uint32_t endTick = 0;
};

// A plain reader: fixed header, one track, no running status (it is never written).
ParsedFile parse(const std::string& file) {
    std::size_t at = 0;
    auto byte = [&]() -> std::uint8_t {
        if (at >= file.size()) {
            throw std::runtime_error("past the end");
        }
        return static_cast<std::uint8_t>(file[at++]);
    };
    auto be = [&](int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            v = v << 8 | byte();
        }
        return v;
    };
    auto varLen = [&] {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            v = v << 7 | (b & 0x7F);
            if ((b & 0x80) == 0) {
                return v;
            }
        }
        throw std::runtime_error("variable length too long");
    };
    ParsedFile p;
    if (file.compare(0, 4, "MThd") != 0) {
        throw std::runtime_error("no MThd");
    }
    at = 4;
    if (be(4) != 6) {
        throw std::runtime_error("header length");
    }
    p.format = static_cast<int>(be(2));
    p.tracks = static_cast<int>(be(2));
    p.division = static_cast<int>(be(2));
    if (file.compare(at, 4, "MTrk") != 0) {
        throw std::runtime_error("no MTrk");
    }
    at += 4;
    const std::uint32_t length = be(4);
    const std::size_t end = at + length;
    if (end != file.size()) {
        throw std::runtime_error("track length does not match the file");
    }
    std::uint32_t tick = 0;
    while (at < end) {
        tick += varLen();
        const std::uint8_t status = byte();
        if (status == 0xFF) {
            const std::uint8_t type = byte();
            const std::uint32_t n = varLen();
            std::vector<std::uint8_t> data;
            for (std::uint32_t i = 0; i < n; ++i) {
                data.push_back(byte());
            }
            if (type == 0x51) {
                p.tempo =
                    static_cast<std::uint32_t>(data.at(0) << 16 | data.at(1) << 8 | data.at(2));
            } else if (type == 0x2F) {
                p.endTick = tick;
                if (at != end) {
                    throw std::runtime_error("events after the end of the track");
                }
            }
        } else if (status == 0xF0) {
            const std::uint32_t n = varLen();
            Event e{tick, {0xF0}};
            for (std::uint32_t i = 0; i < n; ++i) {
                e.bytes.push_back(byte());
            }
            p.events.push_back(e);
        } else if (status >= 0x80 && status < 0xF0) {
            Event e{tick, {status, byte()}};
            if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) {
                e.bytes.push_back(byte());
            }
            p.events.push_back(e);
        } else {
            throw std::runtime_error("unexpected status byte");
        }
    }
    return p;
}

TEST(MidiFile, HeaderTempoAndEventsWithTheirTimes) {
    const std::vector<cli::TimedWord> words = {
        {3, 0xF0}, {3, 0x7E},       {3, 0x7F},         {4, 0x09},         {4, 0x01},
        {4, 0xF7}, {5, 0x001C07B1}, {505, 0x000062C1}, {505, 0x00644E90}, {200000, 0x00645099},
    };
    const ParsedFile p = parse(cli::EncodeMidiFile(words, 200500));
    EXPECT_EQ(p.format, 0);
    EXPECT_EQ(p.tracks, 1);
    // 1000 ticks a quarter at one quarter a second: a tick is a millisecond.
    EXPECT_EQ(p.division, 1000);
    EXPECT_EQ(p.tempo, 1000000u);
    const std::vector<Event> expected = {
        {3, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},  // at its first byte's time
        {5, {0xB1, 0x07, 0x1C}},
        {505, {0xC1, 0x62}},  // one data byte for a program change
        {505, {0x90, 0x4E, 0x64}},
        {200000, {0x99, 0x50, 0x64}},  // a delta of three bytes
    };
    EXPECT_EQ(p.events, expected);
    EXPECT_EQ(p.endTick, 200500u);
}

TEST(MidiFile, AnEmptySessionIsAValidFile) {
    const ParsedFile p = parse(cli::EncodeMidiFile({}, 1234));
    EXPECT_TRUE(p.events.empty());
    EXPECT_EQ(p.endTick, 1234u);
}

TEST(MidiFile, ASessionRecordsWhatTheDeviceGotWithItsTimes) {
    auto dev = CapturingMidiDevice::Install();
    cli::MidiLog log(true);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> fileEvents;
    {
        CBeatEngine engine;
        log.Start();
        engine.StartMidi();
        engine.SetMidiVolume(50);
        // Ticks a little apart, through a percussion hit at counter 400.
        for (int i = 0; i < 420; ++i) {
            engine.OnTick();
            if (i % 50 == 49) {
                crt::srand(1);
                engine.PlayChord();  // at least some chords, whatever the clock's draws
            }
            std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
        engine.StopMidi();
        log.Stop();
    }
    CapturingMidiDevice::Uninstall();

    const ParsedFile p = parse(cli::EncodeMidiFile(log.Words(), log.EndMs()));
    std::vector<CapturingMidiDevice::Event> sends;
    for (const auto& e : dev->Events()) {
        if (e.call == CapturingMidiDevice::Call::Send) {
            sends.push_back(e);
        }
    }
    // The six System On words are one SysEx event; every other word is one event.
    ASSERT_EQ(p.events.size(), sends.size() - 5);
    ASSERT_GE(sends.size(), 6u);
    EXPECT_EQ(p.events[0].bytes, (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    // The log reads its clock just before the device records the word, so the two agree
    // to the millisecond unless the sending thread was held up in between.
    const auto t0 = sends[0].time;
    const auto fileT0 = p.events[0].tick;
    std::size_t close = 0;
    int chords = 0;
    int hits = 0;
    int lastRoot = -1;
    for (std::size_t i = 1; i < p.events.size(); ++i) {
        const auto& sent = sends[i + 5];
        std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(sent.value & 0xFF),
                                           static_cast<std::uint8_t>(sent.value >> 8 & 0xFF)};
        if ((sent.value & 0xE0) != 0xC0) {
            bytes.push_back(static_cast<std::uint8_t>(sent.value >> 16 & 0xFF));
        }
        EXPECT_EQ(p.events[i].bytes, bytes) << i;
        const auto deviceMs = std::chrono::duration<double, std::milli>(sent.time - t0).count();
        const double apart = std::fabs(static_cast<double>(p.events[i].tick - fileT0) - deviceMs);
        EXPECT_LT(apart, 25.0) << i;
        close += apart <= 1.5;
        if ((sent.value & 0xFF) == 0x90) {
            ++chords;
            lastRoot = static_cast<int>(sent.value >> 8 & 0x7F);
        }
        hits += sent.value == 0x00645099;
    }
    EXPECT_GE(close * 10, (p.events.size() - 1) * 9) << "times agree to 1.5 ms for 90%";
    EXPECT_GE(chords, 8);
    EXPECT_EQ(hits, 1);
    EXPECT_GE(p.endTick, p.events.back().tick);
    // What the status line shows.
    EXPECT_EQ(log.Chords(), chords);
    EXPECT_EQ(log.Hits(), hits);
    EXPECT_EQ(log.LastRoot(), lastRoot);
}

}  // namespace
