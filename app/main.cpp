// SPDX-License-Identifier: GPL-3.0-or-later
// Tovin: the window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QStringList>
#include <string>

#include "app/beat_app.h"
#include "app/first_paint.h"
#include "app/session_app.h"
#include "session/printable.h"

namespace {
bool displayAvailable() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// What the command line asks for: the fixed window, or the session window with the files
// named (none, with --sessions, for a new session).
struct Request {
    bool sessions = false;
    QStringList files;
    const char* unknown = nullptr;  // an option neither Tovin nor Qt takes
};

// Qt's own options (a platform, a style, a window geometry) pass through to it, with their
// values; every other word that is not an option names a session file.
Request readArguments(int argc, char** argv) {
    Request request;
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
        if (std::strcmp(argv[i], "--sessions") == 0) {
            request.sessions = true;
        } else if (std::strcmp(argv[i], "--") == 0) {
            for (++i; i < argc; ++i) {
                request.files << QString::fromLocal8Bit(argv[i]);
            }
        } else if (argv[i][0] != '-') {
            request.files << QString::fromLocal8Bit(argv[i]);
        } else if (!qt) {
            request.unknown = argv[i];
            return request;
        } else {
            ++i;  // its value (Qt itself says so when it is missing)
        }
    }
    request.sessions = request.sessions || !request.files.isEmpty();
    return request;
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
            "       tovin --sessions | FILE.sbg ...\n"
            "Opens the window that plays binaural beat tones; with --sessions or session\n"
            "files, the window that edits, plays and exports sessions. tovin-cli plays them\n"
            "without a window. More in the manual page tovin(1).\n");
        return 0;
    }
    // Named before anything else, display or not: a mistyped option is not a missing display.
    const Request request = readArguments(argc, argv);
    if (request.unknown != nullptr) {
        std::fprintf(stderr, "tovin: unknown option '%s'; try 'tovin --help'\n",
                     session::Printable(request.unknown).c_str());
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
    if (request.sessions) {
        return RunSessionWindow(argc, argv, request.files);
    }
    CBeatApp app(argc, argv);
    WatchFirstPaintIfAsked(app);
    app.InitInstance();
    return 0;
}
