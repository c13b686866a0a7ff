// SPDX-License-Identifier: GPL-3.0-or-later
// tovin-cli rendering and playing sessions as a user runs it: the files and the device get
// exactly the synthesis of the session, and every failure is one line and an exit code.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "session/reader.h"
#include "session/synth.h"
#include "session/timeline.h"
#include "tests/support/cli_run.h"
#include "tests/support/paced_device.h"
#include "tests/support/read_file.h"

namespace {

using Samples = std::vector<std::int16_t>;

// A minute and a half that ends: a crossfade at 0:30 and a slide into the last entry.
constexpr const char* kSession =
    "## Down and up again\n-SE\na: pink/20 200+10/30\nb: 300@5/20 100-4/30\n"
    "0:00:00 a\n0:00:30 == b\n0:01:00 == b ->\n0:01:30 a\n";

class SessionCli : public ::testing::Test {
  protected:
    SessionCli() { std::ofstream(path("s.sbg")) << kSession; }

    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    // tovin-cli, or `program` around it, with `alsa` as the ALSA configuration if given.
    testsupport::CliRun run(const QStringList& args, const std::string& alsa = {},
                            const QString& program = TOVIN_CLI_PATH) {
        std::ofstream(path("asound.conf")) << alsa;
        const QString conf = QString::fromStdString(path("asound.conf"));
        return testsupport::Run(program, args, dir.path(), alsa.empty() ? QString() : conf);
    }

    Samples played() const {
        const testsupport::Bytes bytes = testsupport::ReadAll(path("played.raw"));
        Samples s(bytes.size() / 2);
        std::memcpy(s.data(), bytes.data(), 2 * s.size());
        return s;
    }

    // ALSA's file plugin records what reaches the device; behind it the paced device, or
    // the null one that takes everything at once.
    std::string recorder(bool paced) const {
        return testsupport::PacedDeviceConfig() + "pcm.!default { type file; slave.pcm { type " +
               (paced ? "tovin_paced" : "null") + " }; file \"" + path("played.raw") +
               "\"; format \"raw\" }\n";
    }

    QTemporaryDir dir;
};

// The frames of the session (or of `tones`) from the library, as the command should make them.
Samples synthesis(int rate, std::int64_t frames, std::uint64_t seed = 0,
                  const char* tones = nullptr) {
    const session::ReadResult read =
        tones ? session::ReadTones(tones) : session::ReadSessionText(kSession, "s.sbg");
    const session::Timeline timeline = session::BuildTimeline(*read.session, rate);
    Samples s(2 * static_cast<std::size_t>(frames));
    session::Synth(timeline, seed, session::kPcm16).Render(s.data(), static_cast<int>(frames));
    return s;
}

Samples wavSamples(const std::string& path, SF_INFO& info) {
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Samples s(2 * static_cast<std::size_t>(file != nullptr ? info.frames : 0));
    if (file != nullptr) {
        sf_readf_short(file, s.data(), info.frames);
        sf_close(file);
    }
    return s;
}

TEST_F(SessionCli, RenderWritesTheSessionsSynthesisForTheLengthAndRateAsked) {
    const struct {
        QStringList extra;
        int rate;
        std::int64_t frames;  // the session's 90 s, or --length
        std::uint64_t seed;
    } renders[] = {{{}, 44100, 90 * 44100, 0},
                   {{"--length", "0:00:40", "--seed", "5"}, 44100, 40 * 44100, 5},
                   {{"--length", "0:02:00", "--rate", "8000"}, 8000, 120 * 8000, 0}};
    for (const auto& r : renders) {
        const testsupport::CliRun result =
            run(QStringList{"render", "--session", "s.sbg", "-o", "out.wav"} << r.extra);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << "quiet when not on a terminal";
        SF_INFO info{};
        const Samples got = wavSamples(path("out.wav"), info);
        EXPECT_EQ(info.samplerate, r.rate);
        EXPECT_TRUE(got == synthesis(r.rate, r.frames, r.seed)) << r.extra.join(' ').toStdString();
    }
}

TEST_F(SessionCli, EveryFailureIsOneLineWithItsExitCode) {
    std::ofstream(path("bad.sbg")) << "a: pink/30\n0:00 b\n";
    std::ofstream(path("endless.sbg")) << "a: pink/30\n0:00 a\n";
    std::ofstream(path("mixed.sbg")) << "-SE\n  -m gone.flac\na: mix/50\n0:00 a\n0:01 a\n";
    std::ofstream(path("text.mp3")) << "not a sound\n";
    const struct {
        QStringList args;
        int exitCode;
        const char* start;
        int lines;  // a reader's error shows the line and a caret, a device's failure its reason
    } cases[] = {
        {{"render", "--session", "bad.sbg", "-o", "x.wav"}, 2, "tovin-cli: bad.sbg:2:", 3},
        {{"render", "--session", "missing.sbg", "-o", "x.wav"}, 2, "tovin-cli: missing.sbg: ", 1},
        {{"render", "--session", "endless.sbg", "-o", "x.wav"},
         2,
         "tovin-cli: the session plays ",
         1},
        {{"render", "--session", "s.sbg", "-o", "no/dir.wav"},
         1,
         "tovin-cli: cannot create no/dir.wav: No such file or directory",
         1},
        {{"play", "--session", "s.sbg", "--from", "0:01:30"}, 2, "tovin-cli: --from", 1},
        // A mix file that cannot be read: where it was asked for, and nothing written.
        {{"render", "--session", "mixed.sbg", "-o", "x.wav"},
         2,
         "tovin-cli: mixed.sbg:2:6: -m: cannot read the mix file 'gone.flac': No such file",
         1},
        {{"check", "--mix", "text.mp3", "mixed.sbg"},
         2,
         "tovin-cli: --mix: cannot read the mix file 'text.mp3': not a sound file",
         1},
        {{"play", "--session", "s.sbg"},
         1,
         "tovin-cli: Error opening waveform audio device!\ntovin-cli: ALSA device \"default\"",
         2},
    };
    for (const auto& c : cases) {
        const testsupport::CliRun r = run(c.args, "pcm.!default { type hw; card 99; device 0 }\n");
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(c.start) && r.err.endsWith('\n')) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), c.lines) << r.err.toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(path("x.wav")));
    EXPECT_FALSE(std::filesystem::exists(path("no")));
    // 200 KiB hold the 44-byte header and 51189 whole frames: 1.160 s.
    const testsupport::CliRun cut =
        run({"-c", QStringLiteral("ulimit -f 200; exec '%1' render --session s.sbg -o cut.wav")
                       .arg(TOVIN_CLI_PATH)},
            {}, "bash");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.err,
              "tovin-cli: writing cut.wav failed after 0:00:01.160 of sound: File too "
              "large\n");
}

TEST_F(SessionCli, PlayHandsTheDeviceExactlyTheRenderedFrames) {
    // Paced as a sound card plays: a second takes a second.
    QElapsedTimer clock;
    clock.start();
    const testsupport::CliRun paced =
        run({"play", "--session", "s.sbg", "--seconds", "1"}, recorder(true));
    EXPECT_EQ(paced.exitCode, 0) << paced.err.toStdString();
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_TRUE(paced.out.startsWith("Down and up again\n")) << paced.out.toStdString();
    EXPECT_TRUE(played() == synthesis(44100, 44100));
    // From the middle of the crossfade, unpaced.
    const testsupport::CliRun from =
        run({"play", "--session", "s.sbg", "--from", "0:00:29", "--seconds", "2"}, recorder(false));
    EXPECT_EQ(from.exitCode, 0) << from.err.toStdString();
    const Samples all = synthesis(44100, 31 * 44100);
    EXPECT_TRUE(played() == Samples(all.begin() + 2 * 29 * 44100, all.end()));
}

TEST_F(SessionCli, CtrlCFadesOutOverAQuarterSecondAndExitsCleanly) {
    // SIGINT after 0.7 s (and SIGKILL 10 s later if that did not end it).
    const testsupport::CliRun r =
        run({"--preserve-status", "-s", "INT", "-k", "10", "0.7", TOVIN_CLI_PATH, "play", "--tones",
             "200+10/50", "--volume", "100"},
            recorder(true), "timeout");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The last 11025 frames fall linearly to silence: frame i of n is the tone's times
    // (n - i) / 11025, truncated; every frame before them is the tone's own.
    const Samples got = played();
    const std::size_t n = got.size() / 2;
    ASSERT_GE(n, 11025u);
    const Samples tone = synthesis(44100, n, 0, "200+10/50");
    for (std::size_t i = 0; i < 2 * n; ++i) {
        const std::size_t frame = i / 2;
        const double gain = frame + 11025 < n ? 1.0 : (n - frame) / 11025.0;
        ASSERT_EQ(got[i], static_cast<std::int16_t>(tone[i] * gain)) << "sample " << i;
    }
}

TEST_F(SessionCli, KeysOnATerminalPauseAndEndItAndTheTerminalIsPutBackOnEveryWayOut) {
    // script gives the play a terminal; what the subshell prints are the keys typed.
    const struct {
        const char* keys;  // shell commands writing them, with pauses between
        const char* play;  // how the play is started, and ended when no key ends it
        const char* what;
    } cases[] = {
        {"sleep 0.6; printf q", "'%1' play --tones 200/10", "q"},
        {"sleep 0.6; printf ' '; sleep 0.4; printf '\\033'", "'%1' play --tones 200/10",
         "Space, then Esc while paused"},
        {"sleep 0.6; printf '\\033[C+-'",
         "timeout --foreground -s TERM 1.5 '%1' play --tones 200/10", "keys, then SIGTERM"},
        {"", "'%1' play --session s.sbg --seconds 1", "the end"},
    };
    for (const auto& c : cases) {
        const QString inner = QStringLiteral("stty -g > before; ") +
                              QString::fromUtf8(c.play).arg(TOVIN_CLI_PATH) +
                              "; echo $? > code; stty -g > after";
        const QString shell = QStringLiteral("(%1; sleep 2) | script -qec \"%2\" /dev/null")
                                  .arg(c.keys[0] != 0 ? c.keys : "true", inner);
        run({"-c", shell}, testsupport::PacedDeviceConfig(), "bash");
        const auto text = [this](const char* name) {
            const testsupport::Bytes b = testsupport::ReadAll(path(name));
            return std::string(b.begin(), b.end());
        };
        EXPECT_EQ(text("code"), "0\n") << c.what;
        EXPECT_FALSE(text("before").empty()) << c.what;
        EXPECT_EQ(text("after"), text("before")) << c.what;
    }
}

TEST_F(SessionCli, CheckPrintsTheTimelineOfTheExample) {
    std::ofstream(path("s.sbg"))
        << "## Thirty minutes from alpha down to theta and back\n-SE\n"
           "start: pink/40 200+10/15\ndeep:  pink/40 200+6/20\noff:   -\n"
           "00:00:00 off ->\n00:00:15 start\n00:10:00 == start ->\n00:15:00 == deep\n"
           "00:25:00 == deep ->\n00:29:00 == start ->\n00:30:00 off\n";
    const testsupport::CliRun r = run({"check", "s.sbg"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // 200 + 6/2 and 200 - 6/2 in the ears; the slide between minutes 10 and 15.
    for (const char* line :
         {"Thirty minutes from alpha down to theta and back\n", "\n00:15:00 - 00:25:00  deep\n",
          "     2  binaural     left 203 Hz, right 197 Hz",
          "    then slide to deep, 00:10:00 - 00:15:00\n",
          "    then slide to off, 00:29:00 - 00:30:00\n", "\n00:30:00  end\n"}) {
        EXPECT_TRUE(r.out.contains(line)) << line << "\nin:\n" << r.out.toStdString();
    }
    // A mix file: its format, rate, channels and length under the heading.
    SF_INFO info{0, 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* mix = sf_open(path("m.wav").c_str(), SFM_WRITE, &info);
    sf_writef_short(mix, std::vector<short>(800, 100).data(), 800);
    sf_close(mix);
    std::ofstream(path("s.sbg")) << "-m m.wav\na: mix/50 bell+500/10\n0:00 a\n";
    const testsupport::CliRun mixed = run({"check", "s.sbg"});
    EXPECT_TRUE(mixed.out.contains(
        "m.wav': WAV (Microsoft), Signed 16 bit PCM, 8000 Hz, mono, 0:00:00.100, looped\n"))
        << mixed.out.toStdString();
    // A clock time that goes back is the next day, and check says so at its line.
    std::ofstream(path("s.sbg")) << "a: pink/10\n00:00:10 a\n00:00:05 a\n00:00:07 a\n";
    const testsupport::CliRun day = run({"check", "s.sbg"});
    EXPECT_TRUE(
        day.out.contains("\n  line 3: earlier than the clock time before it, so taken as "
                         "the next day (23:59:55 into the session)\n\n"))
        << day.out.toStdString();
}

TEST_F(SessionCli, CheckPrintsEachErrorWithItsLineAndExitsWith2) {
    std::ofstream(path("s.sbg")) << "a: pink/200\n0:00 a\n0:01 b\n";
    const testsupport::CliRun r = run({"check", "s.sbg"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out.toStdString(), "");
    EXPECT_EQ(r.err.toStdString(),
              "tovin-cli: s.sbg:1:9: an amplitude is 0 to 100\na: pink/200\n        ^\n"
              "tovin-cli: s.sbg:3:6: unknown tone-set 'b'\n0:01 b\n     ^\n");
}

}  // namespace
