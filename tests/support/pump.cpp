// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/pump.h"

#include <QCoreApplication>
#include <thread>

#include "platform/message_queue.h"

namespace testsupport {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        plat::DeliverPostedMessages();
        QCoreApplication::processEvents();
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

}  // namespace testsupport
