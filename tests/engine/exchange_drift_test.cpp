// Long run: the channel exchange keeps its 10 s rhythm. The tick runs at absolute
// deadlines, so over any length of play the exchange instants (every 1000th tick) stay
// where a perfect 10 ms clock would put them. TOVIN_SOAK_SECONDS sets the length.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/testing/virtual_wave_device.h"
#include "tests/support/pump.h"

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

class TimedEngine : public CBeatEngine {
  public:
    explicit TimedEngine(std::size_t ticks) { at.reserve(ticks); }
    void OnTick() override {
        CBeatEngine::OnTick();
        if (at.size() < at.capacity()) {
            at.push_back(Clock::now());
        }
    }
    std::vector<Clock::time_point> at;  // the tick's thread writes it until the tick stops
};

TEST(ExchangeDrift, ExchangesStayOnTheTenSecondGrid) {
    const char* env = std::getenv("TOVIN_SOAK_SECONDS");
    const long seconds = env != nullptr ? std::max(11L, std::atol(env)) : 60;
    auto wave = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::RealTime);
    TimedEngine engine(static_cast<std::size_t>(seconds) * 100 + 200);
    engine.SetTone(1500, 80);
    engine.OpenOutput();
    // The user-interface thread does its usual work meanwhile: refilling blocks.
    testsupport::PumpFor(milliseconds(seconds * 1000 + 200));
    engine.StopOutput();
    plat::VirtualWaveDevice::Uninstall();

    const auto& at = engine.at;
    ASSERT_GE(at.size(), static_cast<std::size_t>(seconds) * 100 - 10);
    double worst = 0.0;
    int exchanges = 0;
    // Tick n (from 1) ideally comes (n - 1) * 10 ms after tick 1; the exchanges are the
    // ticks 1001, 2001, 3001, ...
    for (std::size_t n = 1001; n <= at.size(); n += 1000) {
        const auto ideal = at[0] + milliseconds(10 * (n - 1));
        const double drift = std::chrono::duration<double, std::milli>(at[n - 1] - ideal).count();
        worst = std::max(worst, std::abs(drift));
        ++exchanges;
    }
    std::printf("%d exchanges over %ld s: worst drift %.3f ms\n", exchanges, seconds, worst);
    EXPECT_GE(exchanges, static_cast<int>(seconds / 10) - 1);
    EXPECT_LT(worst, 5.0);
}

}  // namespace
