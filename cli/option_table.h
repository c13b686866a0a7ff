// SPDX-License-Identifier: GPL-3.0-or-later
// The options of each tovin-cli command, one row each: the parser reads the command line
// by them, --help lists them, and a test holds the bash completion and the manual page to
// the same names.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/options.h"

namespace cli {

struct OptionRow {
    // Takes the value into the command line; false for a value `expected` does not allow.
    using Reader = bool (*)(const std::string& value, CommandLine& line);

    OptionRow(std::string name, std::string value, std::string expected, std::string help,
              std::string group, Reader read = nullptr, std::string sameAs = "")
        : name(std::move(name)),
          value(std::move(value)),
          expected(std::move(expected)),
          help(std::move(help)),
          group(std::move(group)),
          read(read),
          sameAs(std::move(sameAs)) {}

    std::string name;      // "--carrier", "-o"
    std::string value;     // what the help calls its value ("HZ"); empty for a flag
    std::string expected;  // what the refusal of a value says: "NAME: expected ..., got 'V'"
    std::string help;      // the help's words on it, lines after the first indented; "" hides
    std::string group;     // the heading the help lists it under
    Reader read;
    std::string sameAs;  // the option this is a second spelling of: both count as a repeat
};

struct CommandTable {
    std::string name;   // "play"
    std::string usage;  // the help's first lines: how the command is written
    std::vector<OptionRow> options;
};

// play, render, check and plot, in the order the help lists them.
const std::vector<CommandTable>& Commands();

}  // namespace cli
