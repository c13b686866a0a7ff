#include "cli/play.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include "engine/beat_engine.h"
#include "platform/message_queue.h"
#include "platform/system.h"
#include "platform/window.h"

namespace cli {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onSignal(int) {
    g_interrupted.store(true);
}

constexpr plat::UINT kDeviceReady = plat::WM_USER + 1;

// Receives, through the same queue as the device's notifications, a message posted right
// after the output was opened: it arrives once the device-opened handling has run, which
// is when the engine has set its own start-up volume.
class Session : public plat::CWnd {
  public:
    Session(CBeatEngine& engine, int volume) : m_engine(engine), m_volume(volume) {
        CreateHidden("tovin-cli", 0);
    }

    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override {
        if (msg == kDeviceReady) {
            m_engine.SetWaveVolume(m_volume);
            return 1;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

  private:
    CBeatEngine& m_engine;
    int m_volume;
};

void printStatus(const CBeatEngine& engine, const QElapsedTimer& clock) {
    const bool swapped = engine.m_bSwap != 0;
    const int left = swapped ? engine.m_nCarrier : engine.m_nLowFreq;
    const int right = swapped ? engine.m_nLowFreq : engine.m_nCarrier;
    std::printf("\r%8.1f s   left %6.1f Hz   right %6.1f Hz   %s ", clock.elapsed() / 1000.0,
                left / 10.0, right / 10.0, swapped ? "exchanged" : "normal   ");
    std::fflush(stdout);
}

}  // namespace

int RunPlay(const PlayOptions& options) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    auto engine = std::make_unique<CBeatEngine>();
    engine->SetTone(options.carrier, options.beat);
    engine->OpenOutput();
    if (engine->m_hWaveOut == 0) {
        return 1;  // the engine has said why
    }
    Session session(*engine, options.volume);
    session.PostMessage(kDeviceReady, 0, 0);

    QElapsedTimer clock;
    clock.start();
    const bool live = plat::IsTerminal(1);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const bool timeUp = options.seconds && clock.elapsed() >= *options.seconds * 1000;
        if (g_interrupted.load() || timeUp) {
            QCoreApplication::quit();
            return;
        }
        if (live) {
            printStatus(*engine, clock);
        }
    });
    poll.start(50);
    QCoreApplication::exec();

    engine->StopOutput();
    engine.reset();
    if (live) {
        std::printf("\n");
    }
    return 0;
}

}  // namespace cli
