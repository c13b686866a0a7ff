// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI recording: the log of the words sent, and the Standard MIDI File made of it.
#include "cli/midi_file.h"

#include <gtest/gtest.h>

#include <thread>

#include "cli/midi_log.h"
#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/midi_out.h"
#include "platform/testing/capturing_midi_device.h"

namespace {

TEST(MidiFile, HeaderTempoAndEventsWithTheirTimes) {
    const std::vector<cli::TimedWord> words = {
        {3, 0xF0}, {3, 0x7E},       {3, 0x7F},         {4, 0x09},         {4, 0x01},
        {4, 0xF7}, {5, 0x001C07B1}, {505, 0x000062C1}, {505, 0x00644E90}, {200000, 0x00645099}};
    const std::string expected(
        "MThd\0\0\0\6\0\0\0\1\x03\xE8"      // format 0, one track, 1000 ticks a quarter note
        "MTrk\0\0\0\x26"                    // 38 bytes of track
        "\0\xFF\x51\x03\x0F\x42\x40"        // a quarter note a second: a tick is 1 ms
        "\x03\xF0\x05\x7E\x7F\x09\x01\xF7"  // System On as one SysEx, at its first byte's time
        "\x02\xB1\x07\x1C"
        "\x83\x74\xC1\x62"  // 500 ms later; a program change has one data byte
        "\0\x90\x4E\x64"
        "\x8C\x96\x47\x99\x50\x64"  // 199495 ms: three bytes of delta
        "\x83\x74\xFF\x2F\x00",     // the end, 500 ms after the last event
        60);
    EXPECT_EQ(cli::EncodeMidiFile(words, 200500), expected);
    EXPECT_EQ(cli::EncodeMidiFile({}, 1234),
              std::string("MThd\0\0\0\6\0\0\0\1\x03\xE8MTrk\0\0\0\x0C\0\xFF\x51\x03\x0F\x42\x40"
                          "\x89\x52\xFF\x2F\x00",
                          34));  // 1234 = 0x89 0x52
}

TEST(MidiLog, RecordsEveryWordSentInOrderWithItsTimeAndCountsChordsAndHits) {
    auto dev = plat::CapturingMidiDevice::Install();
    cli::MidiLog log(true);
    {
        CBeatEngine engine;
        log.Start();
        engine.StartMidi();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine.m_fLogR = 3.0f;
        engine.m_fLogX = 0.5f;
        crt::srand(1);
        engine.PlayChord();                                    // root 78
        plat::midiOutShortMsg(engine.m_hMidiOut, 0x00645099);  // the hit
        engine.StopMidi();
        log.Stop();
    }
    plat::CapturingMidiDevice::Uninstall();
    const auto words = log.Words();
    ASSERT_EQ(words.size(), dev->Words().size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].word, dev->Words()[i]) << i;
        EXPECT_LE(i == 0 ? 0 : words[i - 1].ms, words[i].ms) << i;
    }
    EXPECT_GE(words[12].ms - words[11].ms, 19u);  // the chord came 20 ms after the start
    EXPECT_GE(log.EndMs(), words.back().ms);
    EXPECT_EQ(log.Chords(), 1);
    EXPECT_EQ(log.Hits(), 1);
    EXPECT_EQ(log.LastRoot(), 78);
}

}  // namespace
