// The command lines of play and render: what is taken, and what is refused with one
// printable line naming the option. Some odd inputs come from fuzzing the reader.
#include "cli/options.h"

#include <gtest/gtest.h>

using cli::CommandLine;
using Kind = CommandLine::Kind;
using Args = std::vector<std::string>;

namespace {

CommandLine parse(const Args& args) {
    return cli::ParseCommandLine(args);
}

void expectError(const Args& args, const std::string& mentions) {
    const auto line = parse(args);
    std::string shown;
    for (const auto& a : args) {
        shown += " [" + a + "]";
    }
    EXPECT_EQ(line.kind, Kind::Error) << shown;
    EXPECT_NE(line.error.find(mentions), std::string::npos) << shown << " -> " << line.error;
    for (const char c : line.error) {  // one line, and nothing that drives the terminal
        ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) << shown;
    }
}

TEST(Tenths, PlainDecimalsAreReadExactlyAndNothingElse) {
    const std::pair<const char*, long> good[] = {
        {"150", 1500},
        {"142.5", 1425},
        {"333.3", 3333},
        {"150.00", 1500},
        {"0.1", 1},
        {"007", 70},
        {"0000000000000000150.50000000000000000000", 1505}};
    for (const auto& [text, tenths] : good) {
        EXPECT_EQ(cli::ParseTenths(text), tenths) << text;
    }
    for (const char* bad : {"", ".", "1.", ".5", "150.05", "1e2", "-5", "+5", "0x10", "nan", "15 0",
                            "150,0", "1.2.3", "99999999999999999999"}) {
        EXPECT_FALSE(cli::ParseTenths(bad).has_value()) << "'" << bad << "'";
    }
}

TEST(CommandLine, DefaultsAndEveryOptionInEachSpelling) {
    const auto play = parse({"play"});
    ASSERT_EQ(play.kind, Kind::Play);
    EXPECT_EQ(std::tuple(play.play.carrier, play.play.beat, play.play.volume, play.play.midi,
                         play.play.midiVolume),
              std::tuple(1500, 80, 50, false, 50));
    EXPECT_FALSE(play.play.seconds || play.play.recordMidi);
    EXPECT_EQ(parse({"render"}).render.path, "tovin.wav");
    auto line =
        parse({"play", "--carrier", "880", "--beat=0", "--volume", "100", "--seconds=3153600000",
               "--midi", "--midi-volume", "0", "--record-midi=a b.mid"});
    ASSERT_EQ(line.kind, Kind::Play) << line.error;
    EXPECT_EQ(std::tuple(line.play.carrier, line.play.beat, line.play.volume, line.play.midi,
                         line.play.midiVolume),
              std::tuple(8800, 0, 100, true, 0));
    EXPECT_EQ(line.play.seconds, 3153600000L);  // a hundred years
    EXPECT_EQ(line.play.recordMidi, "a b.mid");
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
             {o.outside, std::string(), std::string("abc"), std::string("-1"), std::string("+5"),
              std::string("1e3"), std::string(" 5"), std::string("5\n"),
              std::string(100000, '9')}) {
            expectError(with({o.name, bad}), o.name + ": expected");
            expectError(with({o.name + "=" + bad}), o.name + ": expected");
        }
        expectError(with({o.name}), o.name + ": missing value");
        EXPECT_NE(parse(with({o.name, o.good})).kind, Kind::Error) << o.name;
        expectError(with({o.name, o.good, o.name + "=" + o.good}),
                    o.name + ": given more than once");
    }
}

TEST(CommandLine, OtherBadCommandLinesAreOneLineNamingTheCulprit) {
    const std::pair<Args, std::string> refused[] = {
        {{"render", "-o", ""}, "-o: expected a file name"},
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
        {{"render", "--midi"}, "unknown option '--midi'"},
        {{"render", "-o=x.wav"}, "unknown option '-o=x.wav'"},
        {{"jump"}, "unknown command 'jump'"},
        {{}, "missing command"},
        {{"--version", "--loud"}, "--version: unexpected '--loud'"},
        // Bytes that would break the line or drive the terminal are shown, not sent; a long
        // value is cut short, never inside a character.
        {{"play", "--carr\nier"}, "unknown option '--carr\\x0aier'"},
        {{"\x1b[2J"}, "unknown command '\\x1b[2J'"},
        {{"play", "--beat", "8\r"}, "got '8\\x0d'"},
        {{"play", "--beat", std::string(39, '9') + "\u00e9\u00e9"},
         "got '" + std::string(39, '9') + "'..."}};
    for (const auto& [args, mentions] : refused) {
        expectError(args, mentions);
    }
}

}  // namespace
