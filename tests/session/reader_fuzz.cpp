// libFuzzer target for the session reader: any bytes as a session file. Whatever they
// are, the reader must return; its errors must be the lines it promises; and a session it
// accepts must lay out into spans that follow one another from sample 0, and describe.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/describe.h"
#include "session/reader.h"
#include "session/timeline.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const session::ReadResult read = session::ReadSessionText(text, "f");
    require(read.session.has_value() == read.errors.empty());
    require(read.errors.size() <= 21);
    for (const std::string& error : read.errors) {
        // "f:LINE:COLUMN: message", the line, the caret; or one line about the whole file.
        require(error.rfind("f:", 0) == 0);
        const std::size_t lines = 1 + std::count(error.begin(), error.end(), '\n');
        require(lines == 3 || lines == 1);
        require(lines == 1 || error.back() == '^');
    }
    if (!read.session) {
        return 0;
    }
    for (const int rate : {8000, 44100}) {
        const session::Timeline t = session::BuildTimeline(*read.session, rate);
        std::int64_t at = 0;
        for (const session::Span& span : t.spans) {
            require(span.begin == at && span.end > span.begin);
            for (const session::Track& track : span.tracks) {
                require(track.from.amplitude >= 0 && track.from.amplitude <= 1);
                require(track.to.amplitude >= 0 && track.to.amplitude <= 1);
            }
            at = span.end;
        }
        require(at == t.end || (t.spans.empty() && t.end == 0));
        require(!session::Describe(*read.session, t).empty());
    }
    return 0;
}
