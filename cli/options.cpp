// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read by CLI11, from the tables of cli/option_table.cpp: CLI11 matches the
// words to options ("--name value", "--name=value", flags) and keeps them in the order
// given; each value is then read by its row, and the options' combinations checked here.
#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <set>
#include <stdexcept>

#include "cli/option_table.h"
#include "cli/option_values.h"
#include "plot/picture_format.h"
#include "session/file_format.h"

namespace cli {
namespace {

CommandLine failure(const std::string& message) {
    CommandLine result;
    result.error = message;
    return result;
}

CommandLine answer(CommandLine::Kind kind, const std::string& helpFor = "") {
    CommandLine result;
    result.kind = kind;
    result.helpFor = helpFor;
    return result;
}

// CLI11's help, with the command's own usage lines and words before the options, and
// each option's second spelling beside it ("-o, --output FILE").
class Help : public CLI::Formatter {
  public:
    explicit Help(const CommandTable& command) : m_command(command) { column_width(17); }
    std::string make_usage(const CLI::App*, std::string) const override { return m_command.usage; }
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        std::string names = CLI::Formatter::make_option_name(option, positional);
        for (const OptionRow& row : m_command.options) {
            names += option->check_name(row.sameAs) ? ", " + row.name : "";
        }
        return names == "-h,--help" ? "-h, --help" : names;
    }

  private:
    const CommandTable& m_command;
};

std::unique_ptr<CLI::App> makeApp(const CommandTable& command) {
    auto app = std::make_unique<CLI::App>("", "tovin-cli " + command.name);
    app->formatter(std::make_shared<Help>(command));
    app->allow_extras();  // an unknown word is refused below, with the word itself
    app->set_help_flag();
    for (const OptionRow& row : command.options) {
        CLI::Option* option =
            row.value.empty() ? app->add_flag(row.name) : app->add_option(row.name);
        // Every word is kept; a repeat is refused below, naming the spelling typed.
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        option->description(row.help)->type_name(row.value)->group(row.help.empty() ? ""
                                                                                    : row.group);
    }
    // --help and --version answer at once wherever they stand, but as an option's value.
    app->add_flag("-h,--help")
        ->description("shows this help; --version prints the version")
        ->group("Every command");
    app->add_flag("--version")->group("");
    return app;
}

const OptionRow& rowOf(const CommandTable& command, const CLI::Option& option) {
    for (const OptionRow& row : command.options) {
        if (option.check_name(row.name)) {
            return row;
        }
    }
    throw std::logic_error("an option not in the table");  // CLI11 knows only the table's
}

// Reads every option in the order given: the first fault is the one reported.
std::string readOptions(const CommandTable& command, const CLI::App& app, CommandLine& line) {
    std::set<std::string> given;
    for (const CLI::Option* option : app.parse_order()) {
        const OptionRow& row = rowOf(command, *option);
        if (!given.insert(row.sameAs.empty() ? row.name : row.sameAs).second) {
            return row.name + ": given more than once";
        }
        const std::string& value = option->results().front();
        if (row.value.empty()) {
            if (value != "true") {  // "--midi=yes"
                return row.name + ": takes no value";
            }
        } else if (!row.read(value, line)) {
            return row.name + ": expected " + row.expected +
                   (value.empty() ? "" : ", got " + Shown(value));
        }
    }
    return "";
}

// A session comes from one source, and the fixed tone's own options do not apply to it.
std::string checkSource(const CLI::App& app, std::initializer_list<const char*> toneOnly) {
    const bool file = app.count("--session") != 0;
    if (file && app.count("--tones") != 0) {
        return "--tones: not with --session (one or the other)";
    }
    for (const char* option : toneOnly) {
        if (app.count(option) != 0 && (file || app.count("--tones") != 0)) {
            return std::string(option) + ": not with " + (file ? "--session" : "--tones");
        }
    }
    return "";
}

std::string checkPlay(const CLI::App& app, CommandLine& line) {
    if (const std::string error =
            checkSource(app, {"--carrier", "--beat", "--midi", "--midi-volume", "--record-midi"});
        !error.empty()) {
        return error;
    }
    if (app.count("--from") != 0 && app.count("--session") == 0) {
        return "--from: only with --session";
    }
    SessionPlayOptions& session = line.sessionPlay;
    if (session.source.file || session.source.tones) {
        session.volume = app.count("--volume") != 0 ? line.play.volume : 100;
        session.seconds = line.play.seconds;
        line.kind = CommandLine::Kind::SessionPlay;
        return "";
    }
    line.play.midi = app.count("--midi") != 0;
    for (const char* midiOnly : {"--midi-volume", "--record-midi"}) {
        if (app.count(midiOnly) != 0 && !line.play.midi) {
            return std::string(midiOnly) + ": only with --midi";
        }
    }
    line.kind = CommandLine::Kind::Play;
    return "";
}

std::string checkRender(const CLI::App& app, CommandLine& line) {
    if (const std::string error = checkSource(app, {"--carrier", "--beat"}); !error.empty()) {
        return error;
    }
    SessionRenderOptions& session = line.sessionRender;
    if (!session.source.file && !session.source.tones) {
        for (const char* option : {"--length", "--rate", "--bits", "--seed"}) {
            if (app.count(option) != 0) {
                return std::string(option) + ": only with --session or --tones";
            }
        }
        line.kind = CommandLine::Kind::Render;
        return "";
    }
    const std::string output = app.count("--output") != 0 ? "--output" : "-o";
    if (app.count(output) == 0) {
        return "-o: required with " + std::string(session.source.file ? "--session" : "--tones") +
               ": the file to write (" + session::kFormatExtensions + ")";
    }
    const auto format = session::FormatOfPath(line.render.path);
    if (!format) {
        return output + ": expected a file name ending in " + session::kFormatExtensions +
               ", got " + Shown(line.render.path);
    }
    if (session.source.tones && !session.lengthMs) {
        return "--length: required with --tones, which play without end";
    }
    if (app.count("--bits") != 0 && !session::HasBitDepth(*format)) {
        return "--bits: not with " + line.render.path.substr(line.render.path.rfind('.')) +
               " (a lossy encoder has no bit depth)";
    }
    session.path = line.render.path;
    line.kind = CommandLine::Kind::SessionRender;
    return "";
}

std::string checkPlot(const CLI::App& app, CommandLine& line) {
    if (const std::string error = checkSource(app, {}); !error.empty()) {
        return error;
    }
    const PlotOptions& plot = line.plot;
    if (!plot.source.file && !plot.source.tones) {
        return "plot: expected --session FILE or --tones VOICES: the session to draw";
    }
    const std::string output = app.count("--output") != 0 ? "--output" : "-o";
    if (app.count(output) == 0) {
        return "-o: required: the picture to write (.png or .svg)";
    }
    if (!plot::PictureFormatOf(plot.path)) {
        return output + ": expected a file name ending in .png or .svg, got " + Shown(plot.path);
    }
    line.kind = CommandLine::Kind::Plot;
    return "";
}

// check takes one file and no option; CLI11 leaves every word to it.
std::string checkCheck(const std::vector<std::string>& words, CommandLine& line) {
    for (const std::string& word : words) {
        if (word.empty()) {
            return "check: expected a file name";
        }
        if (!line.check.file.empty()) {
            return "check: expected one session file, got another: " + Shown(word);
        }
        line.check.file = word;
    }
    if (line.check.file.empty()) {
        return "check: expected a session file; try 'tovin-cli --help'";
    }
    line.kind = CommandLine::Kind::Check;
    return "";
}

CommandLine parseCommand(const CommandTable& command, const std::vector<std::string>& args) {
    const auto app = makeApp(command);
    // CLI11 reads "--name=" as "--name" alone, which would take the next word; it is
    // "--name" with an empty value. CLI11 takes the words last first.
    std::vector<std::string> words;
    for (auto word = args.rbegin(); word != args.rend() - 1; ++word) {
        const bool empty = word->rfind("--", 0) == 0 && word->back() == '=';
        if (empty) {
            words.emplace_back();
        }
        words.push_back(empty ? word->substr(0, word->size() - 1) : *word);
    }
    bool missing = false;
    try {
        app->parse(words);
    } catch (const CLI::ParseError&) {
        // The only fault CLI11 finds with these settings: the last word, an option, lacks
        // its value.
        missing = true;
    }
    if (app->count("--help") != 0) {
        return answer(CommandLine::Kind::Help, command.name);
    }
    if (app->count("--version") != 0) {
        return answer(CommandLine::Kind::Version);
    }
    if (missing) {
        return failure(Printable(args.back()) + ": missing value");
    }
    words = app->remaining();
    for (const std::string& word : words) {
        if (word.size() > 1 && word[0] == '-') {
            const auto name = word.rfind("--", 0) == 0 ? word.substr(0, word.find('=')) : word;
            return failure("unknown option " + Shown(name) + "; try 'tovin-cli --help'");
        }
    }
    CommandLine line;
    std::string error;
    if (command.name == "check") {
        if (error = readOptions(command, *app, line); error.empty()) {
            error = checkCheck(words, line);
        }
    } else if (!words.empty()) {
        error = "unknown option " + Shown(words.front()) + "; try 'tovin-cli --help'";
    } else if (error = readOptions(command, *app, line); error.empty()) {
        error = command.name == "play"     ? checkPlay(*app, line)
                : command.name == "render" ? checkRender(*app, line)
                                           : checkPlot(*app, line);
    }
    return error.empty() ? line : failure(error);
}

const CommandTable* findCommand(const std::string& name) {
    for (const CommandTable& command : Commands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) {
        return failure("missing command; try 'tovin-cli --help'");
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return answer(CommandLine::Kind::Help);
    }
    if (command == "--version") {
        return args.size() > 1 ? failure("--version: unexpected " + Shown(args[1]))
                               : answer(CommandLine::Kind::Version);
    }
    if (const CommandTable* table = findCommand(command)) {
        return parseCommand(*table, args);
    }
    return failure("unknown command " + Shown(command) + "; try 'tovin-cli --help'");
}

std::string HelpText(const std::string& command) {
    // CLI11 ends each group with two blank lines: one is enough.
    const auto help = [](const CommandTable& table) {
        std::string text = makeApp(table)->help();
        for (auto blank = text.find("\n\n\n"); blank != std::string::npos;
             blank = text.find("\n\n\n")) {
            text.erase(blank, 1);
        }
        return text.substr(0, text.find_last_not_of('\n') + 1) + "\n";
    };
    if (const CommandTable* table = findCommand(command)) {
        return help(*table);
    }
    std::string all;
    for (const CommandTable& each : Commands()) {
        all += help(each) + "\n";
    }
    return all +
           "tovin-cli --version prints the version. Exit status: 0 when done, 1 when the sound\n"
           "device or a file fails, 2 for a bad command line or session file.\n"
           "More in the manual pages tovin-cli(1) and tovin-session(5).\n";
}

}  // namespace cli
