// SPDX-License-Identifier: GPL-3.0-or-later
// The command lines of play, render and check, for the tone and for sessions: what is
// taken, and what is refused with one line.
#include "cli/options.h"
#include "cli/option_values.h"

#include <gtest/gtest.h>

#include <tuple>

using cli::CommandLine;
using Kind = CommandLine::Kind;
using Args = std::vector<std::string>;

namespace {

const auto parse = &cli::ParseCommandLine;

void expectError(const Args& args, const std::string& mentions) {
    const auto line = parse(args);
    const std::string shown = ::testing::PrintToString(args);
    EXPECT_EQ(line.kind, Kind::Error) << shown;
    EXPECT_NE(line.error.find(mentions), std::string::npos) << shown << " -> " << line.error;
    for (const char c : line.error) {  // one line, and nothing that drives the terminal
        ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) << shown;
    }
}

TEST(Tenths, PlainDecimalsAreReadExactlyAndNothingElse) {
    const std::pair<const char*, long> good[] = {{"150", 1500},    {"142.5", 1425}, {"333.3", 3333},
                                                 {"150.00", 1500}, {"0.1", 1},      {"007", 70}};
    for (const auto& [text, tenths] : good) {
        EXPECT_EQ(cli::ParseTenths(text), tenths) << text;
    }
    EXPECT_EQ(cli::ParseTenths("0000000000000000150.50000000000000000000"), 1505);
    for (const char* bad : {"", ".", "1.", ".5", "150.05", "1e2", "-5", "+5", "0x10", "nan", "15 0",
                            "150,0", "1.2.3", "99999999999999999999"}) {
        EXPECT_FALSE(cli::ParseTenths(bad).has_value()) << "'" << bad << "'";
    }
}

TEST(CommandLine, DefaultsAndEveryOptionInEachSpelling) {
    auto line = parse({"play"});
    const cli::PlayOptions& play = line.play;  // of the line read last
    ASSERT_EQ(line.kind, Kind::Play);
    EXPECT_EQ(std::tuple(play.carrier, play.beat, play.volume, play.midi, play.midiVolume),
              std::tuple(1500, 80, 50, false, 50));
    EXPECT_FALSE(play.seconds || play.recordMidi);
    EXPECT_EQ(parse({"render"}).render.path, "tovin.wav");
    line = parse({"play", "--carrier", "880", "--beat=0", "--volume", "100", "--seconds=3153600000",
                  "--midi", "--midi-volume", "0", "--record-midi=a b.mid"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_EQ(std::tuple(play.carrier, play.beat, play.volume, play.midi, play.midiVolume),
              std::tuple(8800, 0, 100, true, 0));
    EXPECT_EQ(play.seconds, 3153600000L);  // a hundred years
    EXPECT_EQ(play.recordMidi, "a b.mid");
    line = parse({"render", "--carrier", "100.0", "--beat=50.0", "--output", "--output"});
    ASSERT_EQ(line.kind, Kind::Render) << line.error;
    EXPECT_EQ(std::tuple(line.render.carrier, line.render.beat, line.render.path),
              std::tuple(1000, 500, std::string("--output")));  // the file it names
    EXPECT_EQ(parse({"render", "-o", "--output=x.wav"}).render.path, "--output=x.wav");
    EXPECT_EQ(parse({"play", "--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"render", "-h"}).kind, Kind::Help);
    EXPECT_EQ(parse({"--version"}).kind, Kind::Version);
}

TEST(CommandLine, EveryNumericOptionRefusesBadValuesNamingItself) {
    const struct {
        Args command;
        std::string name, good, outside;
    } options[] = {{{"play"}, "--carrier", "150", "880.1"},
                   {{"play"}, "--beat", "8", "50.1"},
                   {{"play"}, "--volume", "50", "101"},
                   {{"play"}, "--seconds", "3", "3153600001"},
                   {{"play", "--midi"}, "--midi-volume", "50", "101"},
                   {{"render"}, "--carrier", "150", "99.9"},
                   {{"render"}, "--beat", "8", "8.05"}};
    for (const auto& o : options) {
        auto with = [&o](Args more) {
            Args args = o.command;
            args.insert(args.end(), more.begin(), more.end());
            return args;
        };
        for (const std::string& bad :
             Args{o.outside, "", "abc", "-1", "+5", "1e3", " 5", "5\n", std::string(100000, '9')}) {
            expectError(with({o.name, bad}), o.name + ": expected");
            expectError(with({o.name + "=" + bad}), o.name + ": expected");
        }
        expectError(with({o.name}), o.name + ": missing value");
        EXPECT_NE(parse(with({o.name, o.good})).kind, Kind::Error) << o.name;
        expectError(with({o.name, o.good, o.name + "=" + o.good}),
                    o.name + ": given more than once");
    }
}

TEST(CommandLine, EveryOtherBadCommandLineIsOneLineNamingTheCulprit) {
    const std::pair<Args, std::string> refused[] = {
        {{"render", "-o", ""}, "-o: expected a file name not starting with '='"},
        {{"render", "-o=x.wav"}, "-o: expected a file name not starting with '=', got '=x.wav'"},
        {{"render", "--output="}, "--output: expected a file name"},
        {{"render", "-o", "a.wav", "--output", "b.wav"}, "--output: given more than once"},
        {{"play", "--midi", "--record-midi="}, "--record-midi: expected a file name"},
        {{"play", "--midi=yes"}, "--midi: takes no value"},
        {{"play", "--midi", "--midi"}, "--midi: given more than once"},
        {{"play", "--midi-volume", "20"}, "--midi-volume: only with --midi"},
        {{"play", "--record-midi", "out.mid"}, "--record-midi: only with --midi"},
        {{"play", "150"}, "unknown option '150'"},
        {{"play", ""}, "unknown option ''"},
        {{"play", "-o", "x.wav"}, "unknown option '-o'"},
        {{"render", "--midi"}, "unknown option '--midi'; try 'tovin-cli --help'"},
        {{"jump"}, "unknown command 'jump'"},
        {{}, "missing command"},
        {{"--version", "--loud"}, "--version: unexpected '--loud'"},
        // Bytes that would break the line or drive the terminal are shown, not sent; a long
        // value is cut short, never inside a character.
        {{"play", "--carr\nier=1"}, "unknown option '--carr\\x0aier'"},
        {{"\x1b[2J"}, "unknown command '\\x1b[2J'"},
        {{"play", "--beat", "8\r"}, "got '8\\x0d'"},
        {{"play", "--beat", std::string(39, '9') + "\u00e9\u00e9"},
         "got '" + std::string(39, '9') + "'..."},
        {{"play", "--session", "a", "--tones", "b"}, "--tones: not with --session (one or the"},
        {{"play", "--session", "a", "--carrier", "200"}, "--carrier: not with --session"},
        {{"play", "--tones", "x", "--midi"}, "--midi: not with --tones"},
        {{"play", "--tones", "x", "--from", "0:01:00"}, "--from: only with --session"},
        {{"play", "--session", "a", "--from", "1:60:00"}, "--from: expected a time as hh:mm:ss,"},
        {{"play", "--session", "a", "--from", "24001:00:00"}, "--from: expected a time as"},
        {{"play", "--session", ""}, "--session: expected a file name"},
        {{"play", "--tones="}, "--tones: expected voices, such as \"pink/30 200+10/20\""},
        {{"render", "--session", "a"}, "-o: required with --session: the file to write (.wav,"},
        {{"render", "--session", "a", "--output", "x.aac"}, "--output: expected a file name end"},
        {{"render", "--session", "a", "-o", "dir.wav/x"}, "-o: expected a file name ending in"},
        {{"render", "--tones", "pink/1", "-o", "x.wav"}, "--length: required with --tones, whi"},
        {{"render", "--session", "a", "-o", "x.OGG", "--bits", "24"},
         "--bits: not with .OGG (a lo"},
        {{"render", "--session", "a", "-o", "x.mp3", "--bits", "16"},
         "--bits: not with .mp3 (a lo"},
        {{"render", "--session", "a", "-o", "x.wav", "--bits", "8"}, "--bits: expected 16 or 2"},
        {{"render", "--rate", "7999"}, "--rate: expected a sample rate from 8000 to 192000 Hz, "},
        {{"render", "--seed", "18446744073709551616"}, "--seed: expected a whole number from 0"},
        {{"render", "--length", "0:00:00"}, "--length: expected a length as hh:mm:ss, more than"},
        {{"render", "--seed", "1"}, "--seed: only with --session or --tones"},
        {{"render", "--session", "a", "--beat", "5", "-o", "x.wav"}, "--beat: not with --session"},
        {{"check"}, "check: expected a session file; try 'tovin-cli --help'"},
        {{"check", "a", "b"}, "check: expected one session file, got another: 'b'"},
        {{"check", "--x"}, "unknown option '--x'; try 'tovin-cli --help'"},
    };
    for (const auto& [args, mentions] : refused) {
        expectError(args, mentions);
    }
}

TEST(CommandLine, SessionValuesAndHelpWhereverItStands) {
    auto line = parse(
        {"play", "--session", "s.sbg", "--volume", "30", "--from", "1:02:03", "--seconds", "5"});
    ASSERT_EQ(line.kind, Kind::SessionPlay) << line.error;
    const auto& p = line.sessionPlay;  // --from: (3600 + 120 + 3) s
    EXPECT_EQ(std::tie(*p.source.file, p.volume, p.fromMs, *p.seconds),
              std::make_tuple("s.sbg", 30, 3723000, 5));
    line = parse({"render", "--session", "s", "--output=OUT.FLAC", "--length", "100:00:00",
                  "--rate", "8000", "--bits", "24", "--seed", "18446744073709551615"});
    ASSERT_EQ(line.kind, Kind::SessionRender) << line.error;
    const auto& r = line.sessionRender;
    EXPECT_EQ(std::tie(r.path, *r.lengthMs, *r.rate, r.bits, r.seed),
              std::make_tuple("OUT.FLAC", 360000000, 8000, 16 + 8, 18446744073709551615u));
    line = parse({"render", "--tones", "x", "--length", "0:0:1", "-o", "a.ogg"});
    ASSERT_EQ(line.kind, Kind::SessionRender) << line.error;
    EXPECT_EQ(std::tie(*r.lengthMs, r.bits, r.rate), std::make_tuple(1000, 16, std::nullopt));
    EXPECT_EQ(parse({"check", "--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"play", "--carrier", "9999", "--help", "--beat"}).kind, Kind::Help);
    EXPECT_EQ(parse({"render", "-o", "--help"}).render.path, "--help");  // a value, not help
    // Without --session a render is the fixed tone's, whatever the file's name.
    EXPECT_EQ(parse({"render", "-o", "x.mp3"}).kind, Kind::Render);
}

}  // namespace
