// Test main for the window tests: a widget application on the offscreen platform, with
// the platform's message queue running on its thread. Qt's default palette stays: the
// program's colours are the application shell's business, which app_test runs.
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
