#include "cli/options.h"

#include <gtest/gtest.h>

using cli::CommandLine;
using cli::ParseCommandLine;
using Kind = cli::CommandLine::Kind;

namespace {

CommandLine parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(Tenths, DecimalsAreReadExactly) {
    EXPECT_EQ(cli::ParseTenths("150"), 1500);
    EXPECT_EQ(cli::ParseTenths("142.5"), 1425);
    EXPECT_EQ(cli::ParseTenths("333.3"), 3333);
    EXPECT_EQ(cli::ParseTenths("150.00"), 1500);
    EXPECT_EQ(cli::ParseTenths("0.1"), 1);
    EXPECT_EQ(cli::ParseTenths("007"), 70);
}

TEST(Tenths, AnythingButAPlainDecimalInTenthsIsRefused) {
    for (const char* bad : {"", ".", "1.", ".5", "150.05", "1e2", "-5", "+5", "0x10", "nan", "inf",
                            "15 0", "150,0", "1.2.3", "99999999999999999999"}) {
        EXPECT_FALSE(cli::ParseTenths(bad).has_value()) << "'" << bad << "'";
    }
}

TEST(PlayOptions, DefaultsAre150HzWithAn8HzBeatAtHalfVolumeUntilStopped) {
    const auto line = parse({"play"});
    ASSERT_EQ(line.kind, Kind::Play);
    EXPECT_EQ(line.play.carrier, 1500);
    EXPECT_EQ(line.play.beat, 80);
    EXPECT_EQ(line.play.volume, 50);
    EXPECT_FALSE(line.play.seconds.has_value());
}

TEST(PlayOptions, EveryOptionIsTakenInBothSpellings) {
    const auto line =
        parse({"play", "--carrier", "440", "--beat=12", "--volume", "100", "--seconds=3"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_EQ(line.play.carrier, 4400);
    EXPECT_EQ(line.play.beat, 120);
    EXPECT_EQ(line.play.volume, 100);
    EXPECT_EQ(line.play.seconds, 3);
}

TEST(PlayOptions, TheEndsOfEachRangeAreAccepted) {
    EXPECT_EQ(parse({"play", "--carrier", "100.0"}).play.carrier, 1000);
    EXPECT_EQ(parse({"play", "--carrier", "880"}).play.carrier, 8800);
    EXPECT_EQ(parse({"play", "--beat", "0"}).play.beat, 0);
    EXPECT_EQ(parse({"play", "--beat", "50.0"}).play.beat, 500);
    EXPECT_EQ(parse({"play", "--volume", "0"}).play.volume, 0);
}

void expectError(std::vector<std::string> args, const std::string& mentions) {
    const auto line = parse(args);
    EXPECT_EQ(line.kind, Kind::Error);
    EXPECT_NE(line.error.find(mentions), std::string::npos) << line.error;
    EXPECT_EQ(line.error.find('\n'), std::string::npos) << "one line: " << line.error;
}

TEST(PlayOptions, ValuesOutsideTheirRangeNameTheirOption) {
    expectError({"play", "--carrier", "99.9"}, "--carrier");
    expectError({"play", "--carrier", "880.1"}, "--carrier");
    expectError({"play", "--beat", "50.1"}, "--beat");
    expectError({"play", "--beat", "-1"}, "--beat");
    expectError({"play", "--volume", "101"}, "--volume");
    expectError({"play", "--volume", "50.5"}, "--volume");
    expectError({"play", "--seconds", "0"}, "--seconds");
    expectError({"play", "--seconds", "-3"}, "--seconds");
    expectError({"play", "--seconds", "99999999999999999999999"}, "--seconds");
    expectError({"play", "--carrier", "nan"}, "--carrier");
    expectError({"play", "--carrier", "1e9"}, "--carrier");
}

TEST(PlayOptions, MissingDuplicatedAndUnknownOptionsAreRefused) {
    expectError({"play", "--carrier"}, "--carrier");
    expectError({"play", "--beat", "8", "--beat", "12"}, "--beat");
    expectError({"play", "--carrier=150", "--carrier", "150"}, "--carrier");
    expectError({"play", "--loud"}, "--loud");
    expectError({"play", "150"}, "150");
    expectError({"jump"}, "jump");
    expectError({}, "command");
}

TEST(MidiOptions, TheAccompanimentIsOffUnlessAskedFor) {
    const auto line = parse({"play"});
    EXPECT_FALSE(line.play.midi);
    EXPECT_EQ(line.play.midiVolume, 50);
    EXPECT_FALSE(line.play.recordMidi.has_value());
}

TEST(MidiOptions, MidiItsVolumeAndARecordingInEitherSpelling) {
    const auto line = parse({"play", "--midi", "--midi-volume", "0", "--record-midi=out.mid"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_TRUE(line.play.midi);
    EXPECT_EQ(line.play.midiVolume, 0);
    EXPECT_EQ(line.play.recordMidi, "out.mid");
    const auto other = parse({"play", "--record-midi", "a b.mid", "--midi-volume=100", "--midi"});
    ASSERT_EQ(other.kind, Kind::Play) << other.error;
    EXPECT_EQ(other.play.midiVolume, 100);
    EXPECT_EQ(other.play.recordMidi, "a b.mid");
}

TEST(MidiOptions, BadMidiOptionsNameThemselves) {
    expectError({"play", "--midi", "--midi-volume", "101"}, "--midi-volume");
    expectError({"play", "--midi", "--midi-volume", "-1"}, "--midi-volume");
    expectError({"play", "--midi", "--midi-volume"}, "--midi-volume");
    expectError({"play", "--midi", "--record-midi", ""}, "--record-midi");
    expectError({"play", "--midi=yes"}, "--midi");
    expectError({"play", "--midi", "--midi"}, "--midi");
    // They belong to the accompaniment.
    expectError({"play", "--midi-volume", "20"}, "--midi-volume");
    expectError({"play", "--record-midi", "out.mid"}, "--record-midi");
}

TEST(CommandLine, HelpAndVersionAreRecognised) {
    EXPECT_EQ(parse({"--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"play", "--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"--version"}).kind, Kind::Version);
    EXPECT_NE(cli::UsageText().find("--carrier"), std::string::npos);
    EXPECT_NE(cli::UsageText().find("--record-midi"), std::string::npos);
}

}  // namespace
