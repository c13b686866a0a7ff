// SPDX-License-Identifier: GPL-3.0-or-later
// tovin-cli: the beat tone from a terminal.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/check.h"
#include "cli/options.h"
#include "cli/play.h"
#include "cli/plot.h"
#include "cli/render.h"
#include "cli/session_play.h"
#include "cli/session_render.h"
#include "platform/message_queue.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const cli::CommandLine line = cli::ParseCommandLine(args);
    switch (line.kind) {
        case cli::CommandLine::Kind::Help:
            std::fputs(cli::HelpText(line.helpFor).c_str(), stdout);
            return 0;
        case cli::CommandLine::Kind::Version:
            std::printf("tovin-cli %s\n", TOVIN_VERSION);
            return 0;
        case cli::CommandLine::Kind::Error:
            std::fprintf(stderr, "tovin-cli: %s\n", line.error.c_str());
            return 2;
        case cli::CommandLine::Kind::Render:
            // No window and no device: the render needs no event loop.
            return cli::RunRender(line.render);
        case cli::CommandLine::Kind::SessionRender:
            return cli::RunSessionRender(line.sessionRender);
        case cli::CommandLine::Kind::Check:
            return cli::RunCheck(line.check);
        case cli::CommandLine::Kind::Plot:
            return cli::RunPlot(line.plot, argc, argv);
        case cli::CommandLine::Kind::Play:
        case cli::CommandLine::Kind::SessionPlay:
            break;
    }
    // Playing needs the event loop: device notifications arrive as posted messages.
    QCoreApplication app(argc, argv);
    plat::StartMessageQueue();
    if (line.kind == cli::CommandLine::Kind::SessionPlay) {
        return cli::RunSessionPlay(line.sessionPlay);
    }
    return cli::RunPlay(line.play);
}
