// The command lines of play and render: what is taken, and what is refused with one line
// naming the option. The odd inputs come from fuzzing the reader.
#include "cli/options.h"

#include <gtest/gtest.h>

using cli::CommandLine;
using cli::ParseCommandLine;
using Kind = cli::CommandLine::Kind;
using Args = std::vector<std::string>;

namespace {

CommandLine parse(Args args) {
    return ParseCommandLine(args);
}

std::string joined(const Args& args) {
    std::string text;
    for (const std::string& arg : args) {
        text += " [" + arg + "]";
    }
    return text;
}

void expectError(const Args& args, const std::string& mentions) {
    const auto line = parse(args);
    EXPECT_EQ(line.kind, Kind::Error) << joined(args);
    EXPECT_NE(line.error.find(mentions), std::string::npos)
        << joined(args) << " -> " << line.error << "; wanted " << mentions;
    for (const char c : line.error) {
        // One line on a terminal: no newline, and no byte that moves the cursor.
        ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
            << joined(args) << " -> " << line.error;
    }
}

TEST(Tenths, DecimalsAreReadExactly) {
    EXPECT_EQ(cli::ParseTenths("150"), 1500);
    EXPECT_EQ(cli::ParseTenths("142.5"), 1425);
    EXPECT_EQ(cli::ParseTenths("333.3"), 3333);
    EXPECT_EQ(cli::ParseTenths("150.00"), 1500);
    EXPECT_EQ(cli::ParseTenths("0.1"), 1);
    EXPECT_EQ(cli::ParseTenths("007"), 70);
    EXPECT_EQ(cli::ParseTenths("0000000000000000150.50000000000000000000"), 1505);
}

TEST(Tenths, AnythingButAPlainDecimalInTenthsIsRefused) {
    for (const char* bad : {"", ".", "1.", ".5", "150.05", "1e2", "-5", "+5", "0x10", "nan", "inf",
                            "15 0", "150,0", "1.2.3", "99999999999999999999"}) {
        EXPECT_FALSE(cli::ParseTenths(bad).has_value()) << "'" << bad << "'";
    }
}

TEST(CommandLine, DefaultsAre150HzWithAn8HzBeat) {
    const auto play = parse({"play"});
    ASSERT_EQ(play.kind, Kind::Play);
    EXPECT_EQ(play.play.carrier, 1500);
    EXPECT_EQ(play.play.beat, 80);
    EXPECT_EQ(play.play.volume, 50);
    EXPECT_FALSE(play.play.seconds.has_value());
    EXPECT_FALSE(play.play.midi);
    EXPECT_EQ(play.play.midiVolume, 50);
    EXPECT_FALSE(play.play.recordMidi.has_value());
    const auto render = parse({"render"});
    ASSERT_EQ(render.kind, Kind::Render);
    EXPECT_EQ(render.render.carrier, 1500);
    EXPECT_EQ(render.render.beat, 80);
    EXPECT_EQ(render.render.path, "tovin.wav");
}

TEST(CommandLine, EveryOptionIsTakenInEachSpelling) {
    auto line = parse({"play", "--carrier", "440", "--beat=12", "--volume", "100", "--seconds=3",
                       "--midi", "--midi-volume", "0", "--record-midi=out.mid"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_EQ(line.play.carrier, 4400);
    EXPECT_EQ(line.play.beat, 120);
    EXPECT_EQ(line.play.volume, 100);
    EXPECT_EQ(line.play.seconds, 3);
    EXPECT_TRUE(line.play.midi);
    EXPECT_EQ(line.play.midiVolume, 0);
    EXPECT_EQ(line.play.recordMidi, "out.mid");
    line = parse({"play", "--record-midi", "a b.mid", "--midi-volume=100", "--midi"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_EQ(line.play.midiVolume, 100);
    EXPECT_EQ(line.play.recordMidi, "a b.mid");
    line = parse({"render", "--carrier", "333.3", "--beat=5.5", "-o", "out/x.wav"});
    ASSERT_EQ(line.kind, Kind::Render) << line.error;
    EXPECT_EQ(line.render.carrier, 3333);
    EXPECT_EQ(line.render.beat, 55);
    EXPECT_EQ(line.render.path, "out/x.wav");
    EXPECT_EQ(parse({"render", "--output=y.wav"}).render.path, "y.wav");
    EXPECT_EQ(parse({"render", "--output", "z.wav"}).render.path, "z.wav");
}

int carrier(const CommandLine& line) {
    return line.kind == Kind::Render ? line.render.carrier : line.play.carrier;
}

int beat(const CommandLine& line) {
    return line.kind == Kind::Render ? line.render.beat : line.play.beat;
}

TEST(CommandLine, TheEndsOfEachRangeAreAccepted) {
    for (const char* command : {"play", "render"}) {
        EXPECT_EQ(carrier(parse({command, "--carrier", "100.0"})), 1000) << command;
        EXPECT_EQ(carrier(parse({command, "--carrier", "880"})), 8800) << command;
        EXPECT_EQ(beat(parse({command, "--beat", "0"})), 0) << command;
        EXPECT_EQ(beat(parse({command, "--beat", "50.0"})), 500) << command;
    }
    EXPECT_EQ(parse({"play", "--volume", "0"}).play.volume, 0);
    EXPECT_EQ(parse({"play", "--seconds", "3153600000"}).play.seconds, 3153600000L);  // 100 years
    EXPECT_EQ(parse({"play", "--seconds", "00000000000000000001"}).play.seconds, 1);
}

TEST(CommandLine, AValueThatLooksLikeAnOptionIsTheFileItNames) {
    // Once taken as "-o" itself, so that the render wrote to a file nobody named.
    EXPECT_EQ(parse({"render", "--output", "--output"}).render.path, "--output");
    EXPECT_EQ(parse({"render", "-o", "--output=x.wav"}).render.path, "--output=x.wav");
}

// The options that take a number, a value just outside their range, and a good one.
struct NumericOption {
    Args command;  // with --midi where the option needs it
    std::string name;
    std::string good;
    std::string outside;
};

const NumericOption kNumeric[] = {
    {{"play"}, "--carrier", "150", "880.1"},
    {{"play"}, "--beat", "8", "50.1"},
    {{"play"}, "--volume", "50", "101"},
    {{"play"}, "--seconds", "3", "3153600001"},
    {{"play", "--midi"}, "--midi-volume", "50", "101"},
    {{"render"}, "--carrier", "150", "99.9"},
    {{"render"}, "--beat", "8", "8.05"},
};

TEST(CommandLine, EveryNumericOptionRefusesBadValuesNamingItself) {
    const std::string huge(100000, '9');
    for (const NumericOption& o : kNumeric) {
        const auto with = [&o](Args options) {
            Args args = o.command;
            args.insert(args.end(), options.begin(), options.end());
            return args;
        };
        ASSERT_NE(parse(with({o.name, o.good})).kind, Kind::Error) << o.name;
        for (const std::string& bad :
             {o.outside, std::string(), std::string("abc"), std::string("-1"), std::string("-0"),
              std::string("+5"), std::string("nan"), std::string("inf"), std::string("1e3"),
              std::string("0x10"), std::string(" 5"), std::string("5\n"), huge}) {
            expectError(with({o.name, bad}), o.name + ": expected");
            expectError(with({o.name + "=" + bad}), o.name + ": expected");
        }
        expectError(with({o.name}), o.name + ": missing value");
        expectError(with({o.name, o.good, o.name + "=" + o.good}),
                    o.name + ": given more than once");
    }
}

TEST(CommandLine, OtherBadCommandLinesAreOneLineNamingTheCulprit) {
    const struct {
        Args args;
        std::string mentions;
    } refused[] = {
        // File names: missing, empty, repeated under either spelling.
        {{"render", "-o"}, "-o: missing value"},
        {{"render", "-o", ""}, "-o: expected a file name"},
        {{"render", "--output="}, "--output: expected a file name"},
        {{"render", "-o", "a.wav", "--output", "b.wav"}, "--output: given more than once"},
        {{"play", "--midi", "--record-midi"}, "--record-midi: missing value"},
        {{"play", "--midi", "--record-midi="}, "--record-midi: expected a file name"},
        {{"play", "--midi", "--record-midi=a", "--record-midi=b"}, "--record-midi: given more"},
        // The flag, and what belongs to it.
        {{"play", "--midi=yes"}, "--midi: takes no value"},
        {{"play", "--midi", "--midi"}, "--midi: given more than once"},
        {{"play", "--midi-volume", "20"}, "--midi-volume: only with --midi"},
        {{"play", "--record-midi", "out.mid"}, "--record-midi: only with --midi"},
        // Unknown words, including the other command's options.
        {{"play", "--loud=3"}, "unknown option '--loud'"},
        {{"play", "150"}, "unknown option '150'"},
        {{"play", ""}, "unknown option ''"},
        {{"play", "-o", "x.wav"}, "unknown option '-o'"},
        {{"render", "--volume", "50"}, "unknown option '--volume'"},
        {{"render", "--midi"}, "unknown option '--midi'"},
        {{"render", "-o=x.wav"}, "unknown option '-o=x.wav'"},
        {{"jump"}, "unknown command 'jump'"},
        {{}, "missing command"},
        {{"--version", "--loud"}, "--version: unexpected '--loud'"},
        // Bytes that would break the line or drive the terminal are shown, not sent.
        {{"play", "--carr\nier"}, "unknown option '--carr\\x0aier'"},
        {{"\x1b[2J"}, "unknown command '\\x1b[2J'"},
        {{"play", "--beat", "8\r"}, "got '8\\x0d'"},
        // A long value is cut short, and never mid-character.
        {{"play", "--beat", std::string(100000, '9')}, "got '" + std::string(40, '9') + "'..."},
        {{"play", "--beat", std::string(39, '9') + "\u00e9\u00e9"},
         "got '" + std::string(39, '9') + "'..."},
    };
    for (const auto& r : refused) {
        expectError(r.args, r.mentions);
    }
}

TEST(CommandLine, HelpAndVersionAreRecognised) {
    EXPECT_EQ(parse({"--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"play", "--help"}).kind, Kind::Help);
    EXPECT_EQ(parse({"render", "-h"}).kind, Kind::Help);
    EXPECT_EQ(parse({"--version"}).kind, Kind::Version);
    EXPECT_NE(cli::UsageText().find("--record-midi"), std::string::npos);
    EXPECT_NE(cli::RenderUsageText().find("-o FILE"), std::string::npos);
}

}  // namespace
