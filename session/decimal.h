// SPDX-License-Identifier: GPL-3.0-or-later
// Plain decimal numbers as session files write them ("200", "1.5", ".5"), and numbers
// written back for people to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace session {

struct DecimalRead {
    double value = 0.0;
    std::size_t length = 0;  // bytes taken from the text; 0 when there is no number
    std::string error;       // why the number is refused; empty when it was read
};

// Reads the number at the start of `text` and stops at the first byte that cannot
// continue it. Never a sign or an exponent; at most kMaxDecimalLength bytes, so that no
// input can ask for more than a double holds exactly enough of.
DecimalRead ReadDecimal(std::string_view text);

constexpr std::size_t kMaxDecimalLength = 20;

// A plain run of digits (leading zeros allowed) no greater than `max`; checked before
// each digit, so that no length of input can overflow it.
std::optional<std::uint64_t> ReadWholeNumber(std::string_view text, std::uint64_t max);

// At most three decimals, trailing zeros dropped: 205, 197.5, 0.769.
std::string FormatDecimal(double value);

}  // namespace session
