// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's 10 ms tick as it runs while playing: an engine streams to the in-process
// wave device at real-time pace with the MIDI accompaniment on (chords go to the
// capturing MIDI device, so the tick does its full work), and every OnTick notes
// steady_clock before the engine's own tick runs. Prints the deviation of the periods from
// 10 ms (median, 99th percentile, maximum) and when each channel exchange happened against
// the ideal schedule (10 ms per tick from the first tick).
// Usage: bench_tick_period [SECONDS] (60 by default)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/message_queue.h"
#include "platform/testing/capturing_midi_device.h"
#include "platform/testing/virtual_wave_device.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kPeriodMs = 10.0;

// Records the instant of every tick and the ticks at which the channels were exchanged.
// The storage is made before the timer starts, so the tick itself allocates nothing.
class TimedEngine : public CBeatEngine {
  public:
    explicit TimedEngine(std::size_t capacity) : m_times(capacity), m_swapped(capacity, 0) {}

    void OnTick() override {
        const auto now = Clock::now();
        const int before = m_bSwap;
        CBeatEngine::OnTick();
        m_longestBody = std::max(m_longestBody, Clock::now() - now);
        const std::size_t n = m_count.load(std::memory_order_relaxed);
        if (n < m_times.size()) {
            m_times[n] = now;
            m_swapped[n] = m_bSwap != before;
            m_count.store(n + 1, std::memory_order_release);
        }
    }

    // Read after the timer has stopped.
    std::size_t Count() const { return m_count.load(std::memory_order_acquire); }
    const std::vector<Clock::time_point>& Times() const { return m_times; }
    bool Swapped(std::size_t i) const { return m_swapped[i] != 0; }
    // The longest the engine's own tick took: a late tick with a short body was late to
    // wake, not slow to run.
    Clock::duration LongestBody() const { return m_longestBody; }

  private:
    std::vector<Clock::time_point> m_times;
    std::vector<char> m_swapped;
    std::atomic<std::size_t> m_count{0};
    Clock::duration m_longestBody{};
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value below which `fraction` of the sorted values lie (nearest rank).
double percentile(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * sorted.size()));
    return sorted[std::min(sorted.size(), std::max<std::size_t>(rank, 1)) - 1];
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds < 11) {
        std::fprintf(stderr, "bench_tick_period: SECONDS must be at least 11 (got '%s')\n",
                     argc > 1 ? argv[1] : "");
        return 2;
    }
    QCoreApplication app(argc, argv);
    plat::StartMessageQueue();
    auto wave = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::RealTime);
    auto midi = plat::CapturingMidiDevice::Install();

    const std::size_t capacity = static_cast<std::size_t>(seconds) * 100 + 1000;
    auto engine = std::make_unique<TimedEngine>(capacity);
    engine->SetTone(1500, 80);
    engine->OpenOutput();
    if (engine->m_hWaveOut == 0) {
        std::fprintf(stderr, "bench_tick_period: the virtual wave device did not open\n");
        return 1;
    }
    engine->StartMidi();
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    engine->StopOutput();  // stops the tick: the records are ours from here
    engine->StopMidi();

    const std::size_t n = engine->Count();
    const auto& t = engine->Times();
    if (n < 2) {
        std::fprintf(stderr, "bench_tick_period: only %zu ticks ran\n", n);
        return 1;
    }
    std::vector<double> deviation;
    double shortest = 1e9, longest = 0.0;
    std::size_t longestAt = 0;
    for (std::size_t i = 1; i < n; ++i) {
        const double period = ms(t[i] - t[i - 1]);
        shortest = std::min(shortest, period);
        if (period > longest) {
            longest = period;
            longestAt = i;
        }
        deviation.push_back(std::fabs(period - kPeriodMs));
    }
    std::sort(deviation.begin(), deviation.end());
    const double p99 = percentile(deviation, 0.99);
    std::printf("tick: %zu periods over %.1f s (blocks played %zu, MIDI words sent %zu)\n",
                deviation.size(), ms(t[n - 1] - t[0]) / 1000.0, wave->Blocks().size(),
                midi->Words().size());
    std::printf("  period from %.3f to %.3f ms (the longest ending at tick %zu, %.3f s in)\n",
                shortest, longest, longestAt + 1, ms(t[longestAt] - t[0]) / 1000.0);
    std::printf("  longest run of the engine's own tick: %.3f ms\n", ms(engine->LongestBody()));
    std::printf("  deviation from 10 ms: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
                percentile(deviation, 0.5), p99, deviation.back());
    std::printf("  99th percentile under 1 ms: %s\n", p99 < 1.0 ? "met" : "NOT met");

    // Tick i (counting the first as 0) is due 10 ms * i after the first.
    double worst = 0.0;
    int exchanges = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!engine->Swapped(i)) {
            continue;
        }
        const double drift = ms(t[i] - t[0]) - kPeriodMs * static_cast<double>(i);
        std::printf("  exchange at tick %5zu: %9.3f ms after the first tick, drift %+.3f ms\n",
                    i + 1, ms(t[i] - t[0]), drift);
        worst = std::max(worst, std::fabs(drift));
        ++exchanges;
    }
    std::printf("  channel exchanges: %d, largest drift %.3f ms\n", exchanges, worst);

    engine.reset();
    plat::CapturingMidiDevice::Uninstall();
    plat::VirtualWaveDevice::Uninstall();
    return exchanges > 0 ? 0 : 1;
}
