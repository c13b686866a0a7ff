// Faults a desktop sound setup really has: an underrun, a sound server that goes away in
// the middle of playing, and a synthesizer whose audio output cannot start.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/fluid_synth_sink.h"
#include "platform/midi_sink.h"
#include "platform/testing/virtual_wave_device.h"
#include "platform/wave_out.h"
#include "tests/support/pulse_server.h"
#include "tests/support/pump.h"
#include "tests/support/recorders.h"
#include "tests/support/wave_notifications.h"

using namespace plat;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

namespace {

constexpr WAVEFORMATEX kFormat = testsupport::kCdFormat;
using Done = testsupport::WaveNotifications;

struct Block {
    std::vector<std::int16_t> samples;
    WAVEHDR hdr{};
    Block(std::int16_t value, int frames) : samples(2 * frames, value) {
        hdr.lpData = reinterpret_cast<char*>(samples.data());
        hdr.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
    }
};

TEST(DeviceFaults, PlaybackGoesOnAfterAnUnderrun) {
    testsupport::PulseServer pulse;
    ASSERT_TRUE(pulse.Start());
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("monitor.raw"));
    ASSERT_TRUE(pulse.StartRecording(recording));
    Done win;
    HWAVEOUT h = 0;
    ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &kFormat, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    // 300 ms each: more than the device holds, so the first really starts playing and
    // then runs dry before the second comes.
    Block first(1000, 13230);
    Block second(2000, 13230);
    for (Block* b : {&first, &second}) {
        waveOutPrepareHeader(h, &b->hdr, sizeof(WAVEHDR));
    }
    waveOutWrite(h, &first.hdr, sizeof(WAVEHDR));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.done == 1; }));
    std::this_thread::sleep_for(milliseconds(1500));  // far longer than the device holds
    waveOutWrite(h, &second.hdr, sizeof(WAVEHDR));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return win.done == 2; }));
    std::this_thread::sleep_for(milliseconds(600));  // let it play out of the device
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    std::this_thread::sleep_for(milliseconds(500));  // the recorder lags the sink a little
    pulse.StopRecording();

    QFile file(recording);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto* s = reinterpret_cast<const std::int16_t*>(bytes.constData());
    std::size_t before = 0;
    std::size_t after = 0;
    for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
        before += s[i] == 1000;
        after += s[i] == 2000;
    }
    // Both blocks reached the sound server (the very start of the first may be lost while
    // the sink wakes up), and the one after the underrun nearly whole.
    EXPECT_GT(before, 2u * 13230 / 2);
    EXPECT_GT(after, 2u * 13230 * 8 / 10);
}

int g_done = 0;

class CountingEngine : public CBeatEngine {
  public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        g_done += msg == MM_WOM_DONE;
        return CBeatEngine::WindowProc(msg, wParam, lParam);
    }
};

TEST(DeviceFaults, ASoundServerThatGoesAwayNeitherHangsNorSpinsAndIsReportedNextTime) {
    testsupport::UserFeedback feedback;
    testsupport::PulseServer pulse;
    ASSERT_TRUE(pulse.Start());
    auto engine = std::make_unique<CountingEngine>();
    engine->SetTone(1500, 80);
    engine->OpenOutput();
    ASSERT_NE(engine->m_hWaveOut, 0u);
    testsupport::PumpFor(milliseconds(1000));  // playing
    pulse.Kill();
    g_done = 0;
    testsupport::PumpFor(milliseconds(2000));
    // Blocks keep coming back at about the pace they would play (a 371.5 ms block),
    // not in a tight loop.
    EXPECT_LE(g_done, 10);
    const auto before = Clock::now();
    engine->StopOutput();
    engine->StopMidi();
    engine.reset();
    EXPECT_LT(Clock::now() - before, milliseconds(2000));
    EXPECT_TRUE(feedback.boxes.empty());

    CBeatEngine next;
    next.SetTone(1500, 80);
    next.OpenOutput();
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Error opening waveform audio device!"});
}

TEST(DeviceFaults, ASynthWhoseAudioCannotStartIsReportedOnceAndTheTonePlaysOn) {
    testsupport::UserFeedback feedback;
    auto wave = VirtualWaveDevice::Install(VirtualWaveDevice::Pace::RealTime);
    SetMidiSinkFactory([] {
        FluidSynthSink::Options options;
        options.alsaDevice = "no_such_pcm";
        return std::make_unique<FluidSynthSink>(options);
    });
    CBeatEngine engine;
    engine.SetTone(1500, 80);
    engine.OpenOutput();
    engine.StartMidi();
    engine.StopMidi();
    engine.StartMidi();
    EXPECT_EQ(feedback.boxes, std::vector<std::string>{"Cannot open MIDI device"});
    const std::size_t blocks = wave->Blocks().size();
    testsupport::PumpFor(milliseconds(1200));
    EXPECT_GT(wave->Blocks().size(), blocks);  // the tone goes on
    engine.StopOutput();
    SetMidiSinkFactory(nullptr);
    VirtualWaveDevice::Uninstall();
}

}  // namespace
