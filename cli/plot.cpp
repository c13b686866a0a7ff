// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/plot.h"

#include <QGuiApplication>
#include <cstdio>
#include <optional>

#include "cli/session_source.h"
#include "plot/plot_file.h"
#include "session/clock.h"
#include "session/timeline.h"

namespace cli {
namespace {

// Qt's notes on the way (no XDG_RUNTIME_DIR, a font substituted) are not the user's
// business on a terminal; what Qt calls critical is, as one line like every other message.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "tovin-cli: %s\n", Printable(message.toStdString()).c_str());
    }
}

}  // namespace

int RunPlot(const PlotOptions& options, int& argc, char** argv) {
    const std::optional<plot::PictureFormat> format = plot::PictureFormatOf(options.path);
    if (!format) {
        std::fprintf(stderr, "tovin-cli: -o: expected a .png or .svg file, got %s\n",
                     Printable(options.path).c_str());
        return 2;
    }
    const std::optional<session::Session> session = LoadSession(options.source);
    if (!session) {
        return 2;
    }
    const session::Timeline timeline =
        session::BuildTimeline(*session, session::RateInUse(*session));
    // Text needs a GUI application's fonts, and a picture needs no screen: unless told
    // otherwise, the offscreen platform, which works with no display at all.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(qtMessage);
    QGuiApplication app(argc, argv);
    const std::string error =
        plot::WritePicture(options.path, *format, QSize(options.width, options.height), *session,
                           timeline, plot::PlotView{});
    if (!error.empty()) {
        std::fprintf(stderr, "tovin-cli: %s\n", Printable(error).c_str());
        return 2;
    }
    return 0;
}

}  // namespace cli
