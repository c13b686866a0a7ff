// SPDX-License-Identifier: GPL-3.0-or-later
// Tovin: the window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <string>

#include "app/beat_app.h"
#include "app/first_paint.h"
#include "session/printable.h"

namespace {
bool displayAvailable() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// The first argument that neither Tovin nor Qt takes, or nullptr. Qt's own options (a
// platform, a style, a window geometry) pass through to it, with their values.
const char* unknownArgument(int argc, char** argv) {
    static const char* const kQtWithValue[] = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin",
        "-style",    "-stylesheet",         "-session",       "-display",
        "-geometry", "-qwindowgeometry",    "-qwindowtitle",  "-qwindowicon"};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-reverse") == 0) {
            continue;
        }
        bool qt = false;
        for (const char* option : kQtWithValue) {
            qt = qt || std::strcmp(argv[i], option) == 0;
        }
        if (!qt) {
            return argv[i];
        }
        ++i;  // its value (Qt itself says so when it is missing)
    }
    return nullptr;
}
}  // namespace

int main(int argc, char** argv) {
    // Answered before anything of Qt starts, so that they work without a display (a
    // package check, a shell on a server).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tovin %s\n", TOVIN_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "usage: tovin [--version | --help]\n"
            "Opens the window that plays binaural beat tones; tovin-cli plays them without\n"
            "one. More in the manual page tovin(1).\n");
        return 0;
    }
    // Named before anything else, display or not: a mistyped option is not a missing display.
    if (const char* unknown = unknownArgument(argc, argv)) {
        const bool option = unknown[0] == '-';
        std::fprintf(stderr, "tovin: %s '%s'; try 'tovin --help'\n",
                     option ? "unknown option" : "unexpected argument",
                     session::Printable(unknown).c_str());
        return 2;
    }
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "tovin: no display to open the window on (DISPLAY is not set); "
                     "tovin-cli plays the tone without one\n");
        return 1;
    }
    // A file-size limit makes a write fail rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    CBeatApp app(argc, argv);
    WatchFirstPaintIfAsked(app);
    app.InitInstance();
    return 0;
}
