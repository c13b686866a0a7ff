// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers that run the user-interface side of the program from a test.
#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// Delivers posted messages and Qt events until `done` holds (true) or `timeout` passes.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Delivers posted messages and Qt events for `span`.
void PumpFor(std::chrono::milliseconds span);

}  // namespace testsupport
