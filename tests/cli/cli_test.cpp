// SPDX-License-Identifier: GPL-3.0-or-later
// tovin-cli as a user runs it, through the real ALSA backend: one run for each way it ends.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/beat_engine.h"
#include "tests/support/cli_run.h"
#include "tests/support/paced_device.h"
#include "tests/support/read_file.h"

using testsupport::CliRun;

namespace {

const QString kCli = QStringLiteral(TOVIN_CLI_PATH);

class Cli : public ::testing::Test {
  protected:
    void SetUp() override { std::ofstream(conf.toStdString()) << testsupport::PacedDeviceConfig(); }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    CliRun cli(const QStringList& args) { return testsupport::Run(kCli, args, dir.path(), conf); }
    QTemporaryDir dir;
    QString conf = dir.filePath("asound.conf");
};

TEST_F(Cli, PlaysForTheSecondsAskedWithTheAccompanimentAndKeepsItsRecording) {
    QElapsedTimer clock;
    clock.start();
    const CliRun r = cli({"play", "--midi", "--midi-volume", "40", "--seconds", "6",
                          "--record-midi", dir.filePath("out.mid")});
    EXPECT_GE(clock.elapsed(), 6000);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const auto file = testsupport::ReadAll(path("out.mid"));
    const std::string midi(file.begin(), file.end());
    // Level 1 at the start (28), then the level asked for (40 + 27), on channel 1 each.
    EXPECT_LT(midi.find("\xB0\x07\x1C"), midi.find("\xB0\x07\x43"));
    EXPECT_NE(midi.find("\xB0\x07\x43"), std::string::npos);
    // One hit at counter 400, four seconds in (a tick of 5 or 20 ms would give two or none).
    EXPECT_EQ(midi.find("\x99\x50\x64"), midi.rfind("\x99\x50\x64"));
    EXPECT_NE(midi.find("\x99\x50\x64"), std::string::npos);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "a temporary file was left";
}

TEST_F(Cli, SecondsCountTheFramesPlayedAndTheQueueIsHeardToTheEnd) {
    // ALSA's file plugin keeps every frame that reaches the (paced) device.
    std::ofstream(conf.toStdString())
        << testsupport::PacedDeviceType() << "pcm.!default { type file; slave.pcm { type "
        << "tovin_paced } file \"" << path("out.raw") << "\" format \"raw\" }\n";
    QElapsedTimer clock;
    clock.start();
    const CliRun r = cli({"play", "--seconds", "2", "--volume", "100"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Half a second before the first frame, then two seconds heard to their end (an exit
    // that dropped the device's last 0.2 s would come sooner).
    EXPECT_GE(clock.elapsed(), 2500);
    const auto bytes = testsupport::ReadAll(path("out.raw"));
    ASSERT_EQ(bytes.size(), 2u * 44100 * 4);  // exactly two seconds of 16-bit stereo
    std::vector<std::int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), bytes.size());
    int peak = 0;  // of the last 0.1 s, at level 100
    for (std::size_t i = s.size() - 2 * 4410; i < s.size(); ++i) {
        peak = std::max(peak, std::abs(int{s[i]}));
    }
    EXPECT_GE(peak, 32700);
}

TEST_F(Cli, ASignalStopsItCleanlyAndTheRecordingIsStillWritten) {
    for (int signal : {SIGINT, SIGTERM}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ALSA_CONFIG_PATH", conf);
        p.setProcessEnvironment(env);
        p.start(kCli, {"play", "--midi", "--record-midi", dir.filePath("cut.mid")});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(1500);
        EXPECT_FALSE(std::filesystem::exists(path("cut.mid")));  // only when playing ends
        ::kill(static_cast<pid_t>(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardError().isEmpty());
        const auto file = testsupport::ReadAll(path("cut.mid"));
        EXPECT_NE(std::string(file.begin(), file.end()).find("\xF0\x05\x7E"), std::string::npos);
        std::filesystem::remove(path("cut.mid"));
    }
}

TEST_F(Cli, WhatItCannotUseIsOneLineWithExitCodeOneOrTwoAndNoFileLeft) {
    std::ofstream(conf.toStdString()) << "pcm.!default { type hw; card 99; device 0 }\n";
    std::filesystem::create_directory(path("taken.wav"));
    const struct {
        QStringList args;
        int exitCode;
        std::string message;  // how stderr starts; one line unless it shows two
    } cases[] = {
        {{"play", "--seconds", "1"},
         1,  // the fixed text, then the device's reason
         "tovin-cli: Error opening waveform audio device!\n"
         "tovin-cli: ALSA device \"default\" cannot be opened: "},
        {{"play", "--carrier", "1000"}, 2, "tovin-cli: --carrier: expected"},
        // The window's program names what it does not take before looking for a display.
        {{"-c", "env -u DISPLAY -u QT_QPA_PLATFORM '" TOVIN_APP_PATH "' --bogus"},
         2,
         "tovin: unknown option '--bogus'; try 'tovin --help'"},
        // A session file it cannot read opens no window.
        {{"-c", "QT_QPA_PLATFORM=offscreen '" TOVIN_APP_PATH "' -style Fusion /no/such.sbg"},
         2,
         "tovin: cannot open /no/such.sbg: No such file or directory"},
        {{"play", "--midi", "--record-midi", dir.filePath("no/dir/out.mid")},
         2,
         "tovin-cli: --record-midi: cannot write"},
        {{"render", "-o", "/dev/full"},
         1,
         "tovin-cli: writing /dev/full failed after 0 bytes of sound: No space left on device"},
        {{"render", "-o", dir.filePath("taken.wav")},
         1,
         "tovin-cli: cannot create " + path("taken.wav") + ": Is a directory"},
        {{"render", "-o", dir.filePath("new\nline/x.wav")},
         1,  // shown, not breaking the line
         "tovin-cli: cannot create " + path("new\\x0aline/x.wav") + ": No such file"}};
    for (const auto& c : cases) {
        const CliRun r = c.args[0] == "-c" ? testsupport::Run("bash", c.args) : cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QString::fromStdString(c.message))) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1 + std::count(c.message.begin(), c.message.end(), '\n'))
            << r.err.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);  // the configuration alone
}

TEST_F(Cli, RendersTheWindowsFileSaysWhereAWriteFailedAndDrawsABarOnATerminal) {
    const CliRun r =
        cli({"render", "--carrier", "220", "--beat", "12", "-o", dir.filePath("a.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty() && r.err.isEmpty());  // quiet when not on a terminal
    const CBeatEngine same(RenderToFile{2200, 120, path("b.wav").c_str()});
    EXPECT_TRUE(testsupport::ReadAll(path("a.wav")) == testsupport::ReadAll(path("b.wav")));
    // Without -o, tovin.wav here; cut short at 1000 KiB: 1023956 bytes of sound, whole frames.
    const CliRun cut = testsupport::Run(
        "bash", {"-c", QStringLiteral("ulimit -f 1000; exec '%1' render").arg(kCli)}, dir.path());
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(cut.err.contains("tovin.wav failed after 1023956 bytes")) << cut.err.toStdString();
    // On a terminal (script gives it one) a bar counts the blocks, redrawn every 8.
    const CliRun bar = testsupport::Run(
        "script", {"-qec", "'" + kCli + "' render -o bar.wav", "/dev/null"}, dir.path());
    EXPECT_TRUE(bar.out.contains("  8/800 blocks")) << bar.out.toStdString();
    EXPECT_TRUE(bar.out.contains("800/800 blocks")) << bar.out.toStdString();
    EXPECT_FALSE(bar.out.contains(" 4/800 blocks")) << bar.out.toStdString();
}

}  // namespace
