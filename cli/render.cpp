// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/render.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/progress_bar.h"
#include "engine/beat_engine.h"
#include "platform/system.h"

namespace cli {
namespace {

void drawBar(const std::string& shownPath, int blocks) {
    std::printf("\rrendering %s %s %3d/%d blocks", shownPath.c_str(),
                BarText(blocks, render::kBlocks).c_str(), blocks, render::kBlocks);
    std::fflush(stdout);
}

}  // namespace

int RunRender(const RenderOptions& options) {
#ifdef SIGXFSZ
    // Past a file-size limit the write fails and is reported, instead of the signal
    // ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    RenderToFile job(options.carrier, options.beat, options.path.c_str());
    // A file name may hold any byte but '/' and NUL; a newline in it must not split the
    // one line a message takes.
    const std::string shown = Printable(options.path);
    const bool live = plat::IsTerminal(1);
    if (live) {
        drawBar(shown, 0);
        job.progress = [&shown](int blocks) {
            // A hundred redraws are plenty for the eye.
            if (blocks % 8 == 0 || blocks == render::kBlocks) {
                drawBar(shown, blocks);
            }
        };
    }
    const CBeatEngine render(job);
    const RenderResult& result = render.m_renderResult;
    if (live) {
        std::printf("\n");
        std::fflush(stdout);
    }
    const char* path = shown.c_str();
    switch (result.status) {
        case RenderResult::Status::Complete:
            return 0;
        case RenderResult::Status::CannotCreate:
            std::fprintf(stderr, "tovin-cli: cannot create %s: %s\n", path,
                         std::strerror(result.error));
            return 1;
        case RenderResult::Status::WriteFailed:
            std::fprintf(stderr, "tovin-cli: writing %s failed after %u bytes of sound: %s\n", path,
                         static_cast<unsigned>(result.sampleBytes), std::strerror(result.error));
            return 1;
        case RenderResult::Status::NoMemory:
            std::fprintf(stderr, "tovin-cli: Error allocating memory!\n");
            return 1;
        case RenderResult::Status::NotRendered:
            break;
    }
    std::fprintf(stderr, "tovin-cli: the render did not run\n");
    return 1;
}

}  // namespace cli
