// Tovin: the window.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/beat_app.h"
#include "app/first_paint.h"

namespace {
bool displayAvailable() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
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
