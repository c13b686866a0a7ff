// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/decimal.h"

#include <charconv>
#include <cstdio>

namespace session {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::uint64_t> ReadWholeNumber(std::string_view text, std::uint64_t max) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (digit > max || value > (max - digit) / 10) {  // value * 10 + digit > max
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

DecimalRead ReadDecimal(std::string_view text) {
    DecimalRead read;
    std::size_t end = 0;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    const std::size_t whole = end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        const std::size_t fraction = end;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        if (end == fraction) {
            read.error = whole == 0 ? "expected a number" : "expected digits after '.'";
            return read;
        }
    } else if (whole == 0) {
        read.error = end < text.size() && text[end] == '-' ? "numbers are never negative"
                                                           : "expected a number";
        return read;
    }
    if (end > kMaxDecimalLength) {
        read.error = "a number of more than 20 characters";
        return read;
    }
    // from_chars rounds correctly and ignores the locale: the same double everywhere.
    std::from_chars(text.data(), text.data() + end, read.value, std::chars_format::fixed);
    read.length = end;
    return read;
}

std::string FormatDecimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string out(text);
    while (out.back() == '0') {
        out.pop_back();
    }
    if (out.back() == '.') {
        out.pop_back();
    }
    return out == "-0" ? "0" : out;
}

}  // namespace session
