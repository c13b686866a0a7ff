// SPDX-License-Identifier: GPL-3.0-or-later
// Time from a key to the sound changing. The session player plays a steady loud tone
// through the real ALSA path onto the paced test device (a sound card that plays nothing,
// at a card's pace), and every 0.37 s or so the volume goes from 100 to 50 or back, as `-`
// and `+` do; a pause or a seek is asked for and heard the same way (from the first frame
// not yet queued), but would leave the device without frames or the timeline out of step.
// Every frame is recorded in the order the device takes it, and the device notes when it
// starts playing, so frame n is heard n / rate after that. A change is heard at the first
// frame that differs from the samples before it; the time from the key to then is the
// figure. Median, best and worst over the changes.
// Usage: bench_key_latency [changes]   (default 40)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_queue.h"
#include "platform/wave_sink.h"
#include "player/session_player.h"
#include "session/reader.h"

namespace {

constexpr int kRate = 44100;
constexpr const char* kSession = "-SE\na: 200/90\n0:00:00 a\n0:10:00 a\n";

std::mutex g_mutex;
std::vector<std::int16_t> g_taken;  // every sample the device was given, in order

// The ALSA device, with every piece it is given kept as well.
class RecordingSink : public plat::WaveSink {
  public:
    bool open(const plat::WAVEFORMATEX& format) override { return m_alsa->open(format); }
    std::string failure() const override { return m_alsa->failure(); }
    void write(const Piece& piece, const std::atomic<bool>& abort) override {
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            const auto* s = reinterpret_cast<const std::int16_t*>(piece.data);
            g_taken.insert(g_taken.end(), s, s + piece.bytes / 2);
        }
        m_alsa->write(piece, abort);
    }
    bool lost() const override { return m_alsa->lost(); }
    std::uint64_t held() const override { return m_alsa->held(); }
    void interrupt() override { m_alsa->interrupt(); }
    void discard() override { m_alsa->discard(); }
    void close() override { m_alsa->close(); }

  private:
    std::unique_ptr<plat::WaveSink> m_alsa = plat::MakeAlsaWaveSink();
};

std::int64_t nowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::max(2, std::atoi(argv[1])) : 40;
    const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    const std::string conf = dir + "/bench_key_latency.conf";
    const std::string starts = dir + "/bench_key_latency.starts";
    std::ofstream(conf) << "pcm_type.tovin_paced { lib \"" TOVIN_PACED_PCM_PATH "\" }\n"
                        << "pcm.!default { type tovin_paced }\n";
    std::remove(starts.c_str());
    setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    setenv("TOVIN_PACED_START_LOG", starts.c_str(), 1);

    QCoreApplication app(argc, argv);
    plat::StartMessageQueue();
    plat::SetWaveSinkFactory([] { return std::make_unique<RecordingSink>(); });

    auto item = std::make_shared<player::PlayItem>();
    item->session = *session::ReadSessionText(kSession, "bench.sbg").session;
    item->timeline = session::BuildTimeline(item->session, kRate);
    player::SessionPlayer player(item, [&](const player::PlayerState& s) {
        if (s.ended) {
            app.quit();
        }
    });
    if (!player.Play(0)) {
        std::printf("the paced device did not open\n");
        return 1;
    }
    // The changes come at times that fall anywhere within a block: 370 ms apart, the first
    // after a second, once the device has been playing a while. Precise timers: coarse ones
    // would bunch two changes together, the second undoing the first before it is heard.
    std::vector<std::int64_t> keys;
    for (int k = 0; k < changes; ++k) {
        QTimer::singleShot(1000 + 370 * k, Qt::PreciseTimer, &app, [&, k] {
            keys.push_back(nowNanos());
            player.SetVolume(k % 2 == 0 ? 50 : 100);
        });
    }
    QTimer::singleShot(1000 + 370 * changes + 1000, [&] { player.Stop(); });
    app.exec();

    std::vector<long long> started;
    std::ifstream in(starts);
    for (long long t = 0; in >> t;) {
        started.push_back(t);
    }
    if (started.size() != 1) {
        std::printf("the device started %zu times (an underrun?): no figures\n", started.size());
        return 1;
    }
    std::vector<std::int16_t> render(2 * static_cast<std::size_t>(item->timeline.end));
    session::Synth(item->timeline, 0, session::kPcm16)
        .Render(render.data(), static_cast<int>(item->timeline.end));

    // Each change is heard at the first frame, after the one before it, that is no longer the
    // render at the level before it.
    std::vector<double> ms;
    std::size_t frame = 0;
    const std::size_t frames = g_taken.size() / 2;
    for (int k = 0; k < changes; ++k) {
        const double before = k % 2 == 0 ? 1.0 : 0.5;
        auto same = [&](std::size_t n) {
            for (int ear = 0; ear < 2; ++ear) {
                const std::size_t i = 2 * n + ear;
                if (g_taken[i] != static_cast<std::int16_t>(render[i] * before)) {
                    return false;
                }
            }
            return true;
        };
        while (frame < frames && same(frame)) {
            ++frame;
        }
        if (frame == frames) {
            std::printf("change %d was never heard\n", k + 1);
            return 1;
        }
        const double heard = started[0] + 1e9 * static_cast<double>(frame) / kRate;
        ms.push_back((heard - keys[k]) / 1e6);
        frame += static_cast<std::size_t>(player::Transport::RampFrames(kRate));  // past its ramp
    }
    std::sort(ms.begin(), ms.end());
    std::printf("key to sound, %d volume changes on the paced ALSA device at %d Hz:\n", changes,
                kRate);
    std::printf("  median %.0f ms, best %.0f ms, worst %.0f ms\n", ms[ms.size() / 2], ms.front(),
                ms.back());
    std::remove(conf.c_str());
    std::remove(starts.c_str());
    return 0;
}
