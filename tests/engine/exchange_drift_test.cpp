// SPDX-License-Identifier: GPL-3.0-or-later
// Soak: over TOVIN_SOAK_SECONDS of play the exchanges (every 1000th tick, at absolute
// deadlines) stay where a perfect 10 ms clock would put them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/pump.h"

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

namespace {

struct TimedEngine : CBeatEngine {
    void OnTick() override {
        CBeatEngine::OnTick();
        if (at.size() < at.capacity()) {
            at.push_back(Clock::now());  // only the tick's thread writes, until it stops
        }
    }
    std::vector<Clock::time_point> at;
};

TEST(ExchangeDrift, ExchangesStayOnTheTenSecondGrid) {
    const long seconds = std::max(11L, std::atol(std::getenv("TOVIN_SOAK_SECONDS") ?: "60"));
    plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::RealTime);
    TimedEngine engine;
    engine.at.reserve(static_cast<std::size_t>(seconds) * 100 + 200);
    engine.SetTone(1500, 80);
    engine.OpenOutput();
    testsupport::PumpFor(std::chrono::milliseconds(seconds * 1000 + 200));  // refilling blocks
    engine.StopOutput();
    plat::VirtualWaveDevice::Uninstall();
    ASSERT_GE(engine.at.size(), static_cast<std::size_t>(seconds) * 100 - 10);
    double worst = 0.0;
    for (std::size_t n = 1001; n <= engine.at.size(); n += 1000) {  // the exchanging ticks
        const auto ideal = engine.at[0] + std::chrono::milliseconds(10 * (n - 1));
        worst = std::max(worst, std::abs(Ms(engine.at[n - 1] - ideal).count()));
    }
    std::printf("over %ld s: worst exchange drift %.3f ms\n", seconds, worst);
    EXPECT_LT(worst, 5.0);
}

}  // namespace
