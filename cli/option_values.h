// SPDX-License-Identifier: GPL-3.0-or-later
// The values of tovin-cli's options as the user writes them, and the user's words as an
// error message repeats them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// Reads "150", "142.5" or "150.00" as tenths (1500, 1425, 1500). Fails on anything that
// is not a plain non-negative decimal, or that is not a whole number of tenths.
std::optional<long> ParseTenths(const std::string& text);

// A word the user typed, as an error message repeats it: quoted, shown printable, and cut
// short after 40 bytes, so that the message stays one line and cannot drive the terminal.
std::string Shown(const std::string& text);

}  // namespace cli
