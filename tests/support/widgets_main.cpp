// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for the window tests: a widget application on the offscreen platform, with the
// platform's message queue on its thread (the program's colours are app_test's business).
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/message_queue.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    plat::StartMessageQueue();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
