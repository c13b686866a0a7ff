// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/option_values.h"

#include "session/decimal.h"
#include "session/printable.h"
#include "session/source_text.h"

namespace cli {

std::optional<long> ParseTenths(const std::string& text) {
    const auto dot = text.find('.');
    const bool whole = dot == std::string::npos;
    const std::string fraction = whole ? "" : text.substr(dot + 1);
    const auto units = session::ReadWholeNumber(text.substr(0, dot), 1000000);
    const auto tenth = whole ? 0 : session::ReadWholeNumber(fraction.substr(0, 1), 9);
    // After the tenths only zeros: anything finer than a tenth is refused.
    const bool exact = fraction.size() <= 1 || session::ReadWholeNumber(fraction.substr(1), 0);
    if (!units || !tenth || !exact) {
        return std::nullopt;
    }
    return static_cast<long>(*units * 10 + *tenth);
}

std::string Shown(const std::string& text) {
    return session::Printable(session::Quoted(text));
}

}  // namespace cli
