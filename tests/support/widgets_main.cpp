// Test main for the window tests: a widget application on the offscreen platform, with
// the program's dialog colours, so that what the tests see is what the program shows.
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
