// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/play.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/device_failure.h"
#include "cli/frame_limit_sink.h"
#include "cli/midi_file.h"
#include "cli/midi_log.h"
#include "cli/stop_signal.h"
#include "engine/beat_engine.h"
#include "platform/message_queue.h"
#include "platform/system.h"
#include "platform/wave_out.h"
#include "platform/wave_sink.h"
#include "platform/window.h"

namespace cli {
namespace {

constexpr plat::UINT kDeviceReady = plat::WM_USER + 1;
constexpr plat::UINT kAllPlayed = plat::WM_USER + 2;  // --seconds of tone have been heard

// The play's own messages, through the same queue as the device's notifications. One is
// posted right after the output was opened: it arrives once the device-opened handling has
// run, which is when the engine has set its own start-up volume, and sets the volumes
// asked for (the MIDI accompaniment, started before it was delivered, has set its start-up
// level by then as well). The other says that --seconds of sound have been heard.
class PlayMessages : public plat::CWnd {
  public:
    PlayMessages(CBeatEngine& engine, const PlayOptions& options)
        : m_engine(engine), m_options(options) {
        CreateHidden("tovin-cli", 0);
    }

    plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override {
        if (msg == kDeviceReady) {
            m_engine.SetWaveVolume(m_options.volume);
            if (m_options.midi) {
                m_engine.SetMidiVolume(m_options.midiVolume);
            }
            return 1;
        }
        if (msg == kAllPlayed) {
            QCoreApplication::quit();
            return 1;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

  private:
    CBeatEngine& m_engine;
    const PlayOptions& m_options;
};

std::string noteName(int note) {
    static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
    return kNames[note % 12] + std::to_string(note / 12 - 1);
}

void printStatus(const CBeatEngine& engine, const QElapsedTimer& clock, const MidiLog* midi) {
    const bool swapped = engine.m_bSwap != 0;
    const int left = swapped ? engine.m_nCarrier : engine.m_nLowFreq;
    const int right = swapped ? engine.m_nLowFreq : engine.m_nCarrier;
    std::printf("\r%8.1f s   left %6.1f Hz   right %6.1f Hz   %s ", clock.elapsed() / 1000.0,
                left / 10.0, right / 10.0, swapped ? "exchanged" : "normal   ");
    if (midi != nullptr) {
        const int root = midi->LastRoot();
        std::printf("  root %-3s  chords %d  hits %d ", root < 0 ? "-" : noteName(root).c_str(),
                    midi->Chords(), midi->Hits());
    }
    std::fflush(stdout);
}

}  // namespace

int RunPlay(const PlayOptions& options) {
    StopSignal stopSignal([] { QCoreApplication::quit(); });

    // The recording goes to a temporary file beside the target, renamed into place at the
    // end; a target that cannot be written is refused before anything plays.
    std::unique_ptr<QSaveFile> record;
    if (options.recordMidi) {
        record = std::make_unique<QSaveFile>(QString::fromStdString(*options.recordMidi));
        if (!record->open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "tovin-cli: --record-midi: cannot write '%s': %s\n",
                         Printable(*options.recordMidi).c_str(),
                         record->errorString().toLocal8Bit().data());
            return 2;
        }
    }

    // The engine's failures (the sound device, the MIDI device) come as its fixed texts;
    // here each is followed by the device's own reason.
    ReportMessageBoxesOnStderr();
    auto engine = std::make_unique<CBeatEngine>();
    engine->SetTone(options.carrier, options.beat);
    PlayMessages messages(*engine, options);
    // --seconds counts the frames handed to the sound card: the device plays exactly that
    // much, drains it, and then asks for the end, so neither the start-up nor the blocks
    // still queued are taken off the time asked for. The engine above it runs as ever.
    if (options.seconds) {
        plat::SetWaveSinkFactory([seconds = *options.seconds, hwnd = messages.GetSafeHwnd()] {
            return PlayFor(plat::MakeAlsaWaveSink(), static_cast<std::uint64_t>(seconds),
                           [hwnd] { plat::PostMessage(hwnd, kAllPlayed, 0, 0); });
        });
    }
    engine->OpenOutput();
    if (engine->m_hWaveOut == 0) {
        return 1;  // the engine has said why
    }
    std::unique_ptr<MidiLog> midi;
    if (options.midi) {
        midi = std::make_unique<MidiLog>(record != nullptr);
        midi->Start();
        engine->StartMidi();
    }
    messages.PostMessage(kDeviceReady, 0, 0);

    // Playing ends at a signal (above) or once the frames asked for are heard; in between
    // the program wakes only for its sound, and for the status line on a terminal.
    QElapsedTimer clock;
    clock.start();
    const bool live = plat::IsTerminal(1);
    QTimer status;
    QObject::connect(&status, &QTimer::timeout, [&] { printStatus(*engine, clock, midi.get()); });
    if (live) {
        status.start(50);
    }
    QCoreApplication::exec();

    engine->StopOutput();
    engine->StopMidi();
    if (midi) {
        midi->Stop();
    }
    engine.reset();
    plat::SetWaveSinkFactory({});
    if (live) {
        std::printf("\n");
    }
    if (record) {
        const std::string bytes = EncodeMidiFile(midi->Words(), midi->EndMs());
        if (record->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size()) ||
            !record->commit()) {
            std::fprintf(stderr, "tovin-cli: --record-midi: cannot write '%s': %s\n",
                         Printable(*options.recordMidi).c_str(),
                         record->errorString().toLocal8Bit().data());
            return 1;
        }
    }
    return 0;
}

}  // namespace cli
