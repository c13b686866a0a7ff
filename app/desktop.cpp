// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "platform/shell.h"
#include "platform/system.h"

void InstallDesktopServices() {
    plat::SetMessageBoxHandler(
        [](plat::HWND, const std::string& text, const std::string& caption, plat::UINT) {
            QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption),
                            QString::fromStdString(text), QMessageBox::Ok,
                            QApplication::activeWindow());
            box.exec();
            return 1;
        });
    plat::SetMessageBeepHandler([](plat::UINT) { QApplication::beep(); });
    plat::SetUrlOpener([](const std::string& target) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
    });
}

void RemoveDesktopServices() {
    plat::SetMessageBoxHandler(nullptr);
    plat::SetMessageBeepHandler(nullptr);
    plat::SetUrlOpener(nullptr);
}
