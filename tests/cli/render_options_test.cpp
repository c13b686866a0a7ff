#include <gtest/gtest.h>

#include "cli/options.h"

using cli::CommandLine;
using Kind = cli::CommandLine::Kind;

namespace {

CommandLine parse(std::vector<std::string> args) {
    return cli::ParseCommandLine(args);
}

void expectError(std::vector<std::string> args, const std::string& mentions) {
    const auto line = parse(args);
    EXPECT_EQ(line.kind, Kind::Error);
    EXPECT_NE(line.error.find(mentions), std::string::npos) << line.error;
    EXPECT_EQ(line.error.find('\n'), std::string::npos) << "one line: " << line.error;
}

TEST(RenderOptions, DefaultsAre150HzWithAn8HzBeatIntoTovinWav) {
    const auto line = parse({"render"});
    ASSERT_EQ(line.kind, Kind::Render) << line.error;
    EXPECT_EQ(line.render.carrier, 1500);
    EXPECT_EQ(line.render.beat, 80);
    EXPECT_EQ(line.render.path, "tovin.wav");
}

TEST(RenderOptions, EveryOptionIsTakenInEachSpelling) {
    auto line = parse({"render", "--carrier", "333.3", "--beat=5.5", "-o", "out/x.wav"});
    ASSERT_EQ(line.kind, Kind::Render) << line.error;
    EXPECT_EQ(line.render.carrier, 3333);
    EXPECT_EQ(line.render.beat, 55);
    EXPECT_EQ(line.render.path, "out/x.wav");
    line = parse({"render", "--carrier=220", "--beat", "12", "--output=y.wav"});
    ASSERT_EQ(line.kind, Kind::Render) << line.error;
    EXPECT_EQ(line.render.carrier, 2200);
    EXPECT_EQ(line.render.beat, 120);
    EXPECT_EQ(line.render.path, "y.wav");
    EXPECT_EQ(parse({"render", "--output", "z.wav"}).render.path, "z.wav");
}

TEST(RenderOptions, TheRangesAreThoseOfPlay) {
    EXPECT_EQ(parse({"render", "--carrier", "100"}).render.carrier, 1000);
    EXPECT_EQ(parse({"render", "--carrier", "880.0"}).render.carrier, 8800);
    EXPECT_EQ(parse({"render", "--beat", "0"}).render.beat, 0);
    EXPECT_EQ(parse({"render", "--beat", "50"}).render.beat, 500);
    expectError({"render", "--carrier", "99.9"}, "--carrier");
    expectError({"render", "--carrier", "880.1"}, "--carrier");
    expectError({"render", "--carrier", "1e3"}, "--carrier");
    expectError({"render", "--beat", "50.1"}, "--beat");
    expectError({"render", "--beat", "-8"}, "--beat");
    expectError({"render", "--beat", "8.05"}, "--beat");
}

TEST(RenderOptions, MissingDuplicatedEmptyAndUnknownOptionsAreRefused) {
    expectError({"render", "-o"}, "-o");
    expectError({"render", "-o", ""}, "-o");
    expectError({"render", "-o", "a.wav", "--output", "b.wav"}, "-o");
    expectError({"render", "--beat", "8", "--beat=12"}, "--beat");
    expectError({"render", "--volume", "50"}, "--volume");  // the file is at full amplitude
    expectError({"render", "--seconds", "10"}, "--seconds");
    expectError({"render", "x.wav"}, "x.wav");
}

TEST(RenderOptions, HelpIsRecognisedAndDescribesTheCommand) {
    EXPECT_EQ(parse({"render", "--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"render", "-h"}).kind, Kind::Help);
    EXPECT_NE(cli::RenderUsageText().find("tovin-cli render"), std::string::npos);
    EXPECT_NE(cli::RenderUsageText().find("-o FILE"), std::string::npos);
}

}  // namespace
