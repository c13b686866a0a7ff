// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the session reader: on any bytes it returns the error lines it
// promises, or a session whose entries are in order (blocks expanded), that lays out into
// spans without gaps from sample 0, and describes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/describe.h"
#include "session/reader.h"
#include "session/timeline.h"

static void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const session::ReadResult read = session::ReadSessionText(text, "f");
    require(read.session.has_value() == read.problems.empty() && read.problems.size() <= 21);
    for (const session::Problem& problem : read.problems) {
        const std::string& error = problem.text;
        require((problem.line > 0) == (problem.column > 0));
        // "f:LINE:COLUMN: message", the line and the caret; or one line about the whole file.
        const auto lines = 1 + std::count(error.begin(), error.end(), '\n');
        require(error.rfind("f:", 0) == 0 && (lines == 1 || (lines == 3 && error.back() == '^')));
    }
    if (read.session) {
        // Entries from 0 in strict order, as many as blocks may expand to; -q and -T in range;
        // every drawn wave a voice names is defined.
        const session::Session& s = *read.session;
        require(!s.entries.empty() && s.entries.size() <= 100000 && s.entries[0].ms == 0);
        for (std::size_t k = 1; k < s.entries.size(); ++k) {
            require(s.entries[k].ms > s.entries[k - 1].ms);
        }
        require(s.quick >= 1 && s.quick <= 1000);
        require(s.startMs > -24 * 3600 * 1000LL && s.startMs <= s.entries.back().ms);
        for (const session::ToneSet& set : s.sets) {
            for (const session::Voice& v : set.voices) {
                require(v.wave < session::kDrawnWave ||
                        !s.drawnWaves[v.wave - session::kDrawnWave].empty());
            }
        }
    }
    for (const int rate : {8000, 44100}) {
        if (!read.session) {
            break;
        }
        const session::Timeline t = session::BuildTimeline(*read.session, rate);
        std::int64_t at = 0;
        for (const session::Span& span : t.spans) {
            require(span.begin == at && span.end > span.begin);
            for (const session::Track& k : span.tracks) {
                require(k.from.amplitude >= 0 && k.from.amplitude <= 1 && k.to.amplitude >= 0 &&
                        k.to.amplitude <= 1);
            }
            at = span.end;
        }
        require(at == t.end);
        require(!session::Describe(*read.session, t).empty());
    }
    return 0;
}
