// Tovin: the window.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/beat_app.h"
#include "app/first_paint.h"

namespace {
bool displayAvailable() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}
}  // namespace

int main(int argc, char** argv) {
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
