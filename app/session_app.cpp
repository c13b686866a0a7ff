// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/session_app.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>

#include "app/first_paint.h"
#include "editor/session_window.h"
#include "platform/message_queue.h"
#include "session/printable.h"

int RunSessionWindow(int& argc, char** argv, const QStringList& files) {
    QStringList readable;
    for (const QString& path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            readable << path;
        } else {
            std::fprintf(stderr, "tovin: cannot open %s: %s\n",
                         session::Printable(path.toStdString()).c_str(),
                         file.errorString().toLocal8Bit().constData());
        }
    }
    if (!files.isEmpty() && readable.isEmpty()) {
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Tovin");
    QApplication::setApplicationName("Tovin Sessions");
    QApplication::setDesktopFileName("io.github.tovin.Tovin.Sessions");
    QApplication::setWindowIcon(QIcon::fromTheme("tovin", QIcon(":/images/icon110_32.png")));
    plat::StartMessageQueue();
    WatchFirstPaintIfAsked(app);
    editor::SessionWindow window;
    if (readable.isEmpty()) {
        window.NewSession();
    } else {
        window.OpenFiles(readable);
    }
    window.show();
    return QApplication::exec();
}
