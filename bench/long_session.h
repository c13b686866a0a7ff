// SPDX-License-Identifier: GPL-3.0-or-later
// The long session the session window's benchmarks open: `entries` entries a minute apart
// (100000 of them are about 69 days and 0.79 MB of text), alternating a binaural voice with
// pink noise and an isochronic voice, every tenth sliding into the next.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

inline std::string LongSession(int entries) {
    std::string text =
        "## A long session: one entry a minute\n-SE\na: pink/20 200+10/20\nb: 300@6/20\n";
    char line[32];
    for (int i = 0; i < entries; ++i) {
        // Clock times: each 0:00 after 23:59 is the next day.
        std::snprintf(line, sizeof line, "%d:%02d %s\n", i / 60 % 24, i % 60,
                      i % 10 == 9 ? "b ->" : (i % 2 ? "b" : "a"));
        text += line;
    }
    return text;
}

}  // namespace bench
