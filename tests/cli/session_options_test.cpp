// The command lines of sessions (play and render with --session or --tones, and check):
// what is taken, and what is refused with one line naming the option.
#include <gtest/gtest.h>

#include <tuple>

#include "cli/options.h"

namespace {

using cli::ParseCommandLine;
using Kind = cli::CommandLine::Kind;
using Args = std::vector<std::string>;

TEST(SessionOptions, RefusedWithOneLineNamingTheOption) {
    // The error, or for long ones how it begins.
    const struct {
        Args args;
        std::string error;
    } rows[] = {
        {{"play", "--session", "a", "--tones", "b"}, "--tones: not with --session (one or the"},
        {{"play", "--session", "a", "--carrier", "200"}, "--carrier: not with --session"},
        {{"play", "--tones", "x", "--midi"}, "--midi: not with --tones"},
        {{"play", "--tones", "x", "--from", "0:01:00"}, "--from: only with --session"},
        {{"play", "--from", "0:00:01"}, "--from: only with --session"},
        {{"play", "--session", "a", "--from", "1:60:00"}, "--from: expected a time as hh:mm:ss,"},
        {{"play", "--session", "a", "--from", "24001:00:00"}, "--from: expected a time as"},
        {{"play", "--session", ""}, "--session: expected a file name"},
        {{"play", "--tones="}, "--tones: expected voices, such as \"pink/30 200+10/20\""},
        {{"render", "--session", "a"}, "-o: required with --session: the file to write (.wav,"},
        {{"render", "--session", "a", "--output", "x.mp3"}, "--output: expected a file name end"},
        {{"render", "--session", "a", "-o", "dir.wav/x"}, "-o: expected a file name ending in"},
        {{"render", "--tones", "pink/1", "-o", "x.wav"}, "--length: required with --tones, whi"},
        {{"render", "--session", "a", "-o", "x.OGG", "--bits", "24"}, "--bits: 24 is not possi"},
        {{"render", "--session", "a", "-o", "x.wav", "--bits", "8"}, "--bits: expected 16 or 2"},
        {{"render", "--rate", "7999"}, "--rate: expected a sample rate from 8000 to 192000 Hz, "},
        {{"render", "--seed", "18446744073709551616"}, "--seed: expected a whole number from 0"},
        {{"render", "--length", "0:00:00"}, "--length: expected a length as hh:mm:ss, more than"},
        {{"render", "--length", "1:00:00"}, "--length: only with --session or --tones"},
        {{"render", "--seed", "1"}, "--seed: only with --session or --tones"},
        {{"render", "--session", "a", "--beat", "5", "-o", "x.wav"}, "--beat: not with --session"},
        {{"check"}, "check: expected a session file; try 'tovin-cli --help'"},
        {{"check", "a", "b"}, "check: expected one session file, got another: 'b'"},
        {{"check", "--x"}, "unknown option '--x'; try 'tovin-cli --help'"},
    };
    for (const auto& row : rows) {
        const auto line = ParseCommandLine(row.args);
        EXPECT_EQ(line.kind, Kind::Error) << row.error;
        EXPECT_EQ(line.error.substr(0, row.error.size()), row.error);
    }
}

TEST(SessionOptions, AcceptedValues) {
    auto line = ParseCommandLine(
        {"play", "--session", "s.sbg", "--volume", "30", "--from", "1:02:03", "--seconds", "5"});
    ASSERT_EQ(line.kind, Kind::SessionPlay) << line.error;
    const auto& p = line.sessionPlay;  // --from: (3600 + 120 + 3) s
    EXPECT_EQ(std::tie(*p.source.file, p.volume, p.fromMs, *p.seconds),
              std::make_tuple("s.sbg", 30, 3723000, 5));
    line =
        ParseCommandLine({"render", "--session", "s", "--output=OUT.FLAC", "--length", "100:00:00",
                          "--rate", "8000", "--bits", "24", "--seed", "18446744073709551615"});
    ASSERT_EQ(line.kind, Kind::SessionRender) << line.error;
    const auto& r = line.sessionRender;
    EXPECT_EQ(std::tie(r.path, *r.lengthMs, *r.rate, r.bits, r.seed),
              std::make_tuple("OUT.FLAC", 360000000, 8000, 16 + 8, 18446744073709551615u));
    line = ParseCommandLine({"render", "--tones", "x", "--length", "0:0:1", "-o", "a.ogg"});
    ASSERT_EQ(line.kind, Kind::SessionRender) << line.error;
    EXPECT_EQ(std::tie(*r.lengthMs, r.bits, r.rate), std::make_tuple(1000, 16, std::nullopt));
    EXPECT_EQ(ParseCommandLine({"check", "--help"}).kind, Kind::Help);
    // Without --session a render is the fixed tone's, whatever the file's name.
    EXPECT_EQ(ParseCommandLine({"render", "-o", "x.mp3"}).kind, Kind::Render);
}

}  // namespace
