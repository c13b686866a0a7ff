// tovin-cli as a user runs it, through the real ALSA backend.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& args, const QString& alsaConfig, int timeoutMs = 20000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!alsaConfig.isEmpty()) {
        env.insert("ALSA_CONFIG_PATH", alsaConfig);
    }
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOVIN_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

class Cli : public ::testing::Test {
  protected:
    QString config(const std::string& text) {
        const QString path = dir.filePath("asound.conf");
        std::ofstream(path.toStdString()) << text;
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(Cli, PlaysForTheGivenSecondsAndExitsCleanly) {
    // The file plugin does not pace, so the sound goes to /dev/null rather than a file.
    const QString conf = config(
        "pcm.!default { type file; slave.pcm { type null }; file \"/dev/null\"; format \"raw\" "
        "}\n");
    const CliRun r = runCli({"play", "--seconds", "1", "--volume", "100"}, conf);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(Cli, AMissingSoundDeviceIsReportedWithExitCodeOne) {
    const QString conf = config("pcm.!default { type hw; card 99; device 0 }\n");
    const CliRun r = runCli({"play", "--seconds", "1"}, conf);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Error opening waveform audio device!")) << r.err.toStdString();
}

TEST_F(Cli, ABadOptionIsOneLineNamingItWithExitCodeTwo) {
    const CliRun r = runCli({"play", "--carrier", "1000"}, {});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("tovin-cli: --carrier")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1);
}

TEST_F(Cli, HelpAndVersionSucceed) {
    const CliRun help = runCli({"--help"}, {});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("tovin-cli play"));
    const CliRun version = runCli({"--version"}, {});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("tovin-cli "));
}

}  // namespace
