// SPDX-License-Identifier: GPL-3.0-or-later
// Text from the user (a word, a file name) as a message repeats it: its control bytes
// written as \xNN, so that the message stays one line and cannot drive the terminal.
#pragma once

#include <string>
#include <string_view>

namespace session {

inline std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            static const char kHex[] = "0123456789abcdef";
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace session
