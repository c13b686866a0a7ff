// SPDX-License-Identifier: GPL-3.0-or-later
// Test main: the platform's message queue and device notifications need a Qt application
// on the test's thread, as on the program's user-interface thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/message_queue.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    plat::StartMessageQueue();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
