// tovin-cli render as a user runs it: the files it writes, checked against the tone and
// the header worked out here from their definitions, and its messages when it cannot.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/engine/reference_tone.h"

namespace {

using Bytes = std::vector<char>;

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun run(const QString& program, const QStringList& args, const QString& dir = {}) {
    QProcess p;
    if (!dir.isEmpty()) {
        p.setWorkingDirectory(dir);
    }
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

CliRun runCli(const QStringList& args, const QString& dir = {}) {
    return run(QStringLiteral(TOVIN_CLI_PATH), args, dir);
}

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<char>(v >> (8 * i)));
    }
}

// The whole file from its definition: the 44-byte header for 52428800 bytes of sound,
// then 800 blocks of 16384 frames, the channels exchanged in blocks n (from 1) where
// n / 50 is odd, every sample trunc(sin(phase) × 32768).
Bytes expectedFile(int carrierTenths, int beatTenths) {
    const double hi = carrierTenths / 10.0;
    const double lo = (carrierTenths - beatTenths) / 10.0;
    const std::uint32_t length = 800u * 65536u;
    Bytes file;
    file.reserve(44 + length);
    file.insert(file.end(), {'R', 'I', 'F', 'F'});
    put32(file, length + 36);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(file, 16);
    put32(file, 1 | 2 << 16);  // PCM, two channels
    put32(file, 44100);
    put32(file, 44100 * 4);
    put32(file, 4 | 16 << 16);  // four bytes a frame, 16 bits a sample
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    put32(file, length);
    reference::Channel left;
    reference::Channel right;
    std::vector<std::int16_t> block(2 * 16384);
    for (int n = 1; n <= 800; ++n) {
        const bool swapped = (n / 50) % 2 == 1;
        reference::Fill(left, right, swapped ? hi : lo, swapped ? lo : hi, block.data(), 16384);
        const char* bytes = reinterpret_cast<const char*>(block.data());
        file.insert(file.end(), bytes, bytes + 2 * block.size());
    }
    return file;
}

class CliRender : public ::testing::Test {
  protected:
    std::string path(const char* name) { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(CliRender, ThreeTonesComeOutExactlyAsDefinedEachReplacingTheLast) {
    const std::string out = path("x.wav");
    const struct {
        const char* carrier;
        const char* beat;
        int carrierTenths;
        int beatTenths;
    } tones[] = {{"150", "8", 1500, 80}, {"220", "12", 2200, 120}, {"333.3", "5.5", 3333, 55}};
    for (const auto& t : tones) {
        const CliRun r = runCli({"render", "--carrier", t.carrier, "--beat", t.beat, "-o",
                                 QString::fromStdString(out)});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << "quiet when not on a terminal: " << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        const Bytes got = readAll(out);
        const Bytes want = expectedFile(t.carrierTenths, t.beatTenths);
        ASSERT_EQ(got.size(), 52428844u);
        ASSERT_TRUE(got == want) << t.carrier << " / " << t.beat << " Hz: first difference at byte "
                                 << (std::mismatch(got.begin(), got.end(), want.begin()).first -
                                     got.begin());
    }
}

TEST_F(CliRender, WithoutOptionsItWritesTovinWavInTheCurrentDirectory) {
    // Cut short by a file-size limit (bash counts it in KiB), so that only the name and the
    // start are looked at.
    const CliRun r =
        run("bash", {"-c", QStringLiteral("ulimit -f 200; exec '%1' render").arg(TOVIN_CLI_PATH)},
            dir.path());
    EXPECT_EQ(r.exitCode, 1);
    const Bytes file = readAll(path("tovin.wav"));
    ASSERT_EQ(file.size(), 200u * 1024u);
    const Bytes start(file.begin() + 44, file.begin() + 60);
    // 142 and 150 Hz: trunc(sin(k × 6.28318 × f / 44100) × 32768) for k = 0..3, by hand.
    const std::int16_t first[] = {0, 0, 662, 700, 1325, 1400, 1987, 2099};
    EXPECT_EQ(std::memcmp(start.data(), first, sizeof first), 0);
}

TEST_F(CliRender, AFileSizeLimitStopsTheRenderWithAValidShorterFile) {
    const std::string out = path("short.wav");
    const CliRun r = run("bash", {"-c", QStringLiteral("ulimit -f 1000; exec '%1' render -o '%2'")
                                            .arg(TOVIN_CLI_PATH, QString::fromStdString(out))});
    EXPECT_EQ(r.exitCode, 1);
    // 1024000 bytes: the header and 1023956 bytes of sound, 255989 whole frames.
    EXPECT_TRUE(r.err.contains("failed after 1023956 bytes")) << r.err.toStdString();
    const Bytes file = readAll(out);
    ASSERT_EQ(file.size(), 1024000u);
    std::uint32_t data = 0;
    std::memcpy(&data, file.data() + 40, 4);
    EXPECT_EQ(data, 1023956u);
}

TEST_F(CliRender, AFileThatCannotBeWrittenIsOneLineNamingItWithExitCodeOneAndNoFile) {
    std::filesystem::create_directory(path("taken.wav"));
    const struct {
        std::string out;
        std::string message;  // the start of the one line on stderr
    } faults[] = {
        {"/dev/full",
         "tovin-cli: writing /dev/full failed after 0 bytes of sound: No space left on device"},
        {path("no/such/dir/x.wav"),
         "tovin-cli: cannot create " + path("no/such/dir/x.wav") + ": No such file or directory"},
        // Tests run as root, where permission bits stop nothing; sysfs lets no one create a
        // file. The reason is left open: a container may mount /sys read-only.
        {"/sys/tovin.wav", "tovin-cli: cannot create /sys/tovin.wav: "},
        {path("taken.wav"), "tovin-cli: cannot create " + path("taken.wav") + ": Is a directory"},
        // A newline in the name would split the message.
        {path("new\nline/x.wav"),
         "tovin-cli: cannot create " + path("new\\x0aline/x.wav") + ": No such file"},
    };
    for (const auto& f : faults) {
        const CliRun r = runCli({"render", "-o", QString::fromStdString(f.out)});
        EXPECT_EQ(r.exitCode, 1) << f.out;
        EXPECT_TRUE(r.err.startsWith(QString::fromStdString(f.message)) && r.err.count('\n') == 1 &&
                    r.err.endsWith('\n'))
            << r.err.toStdString();
        EXPECT_FALSE(std::filesystem::is_regular_file(f.out)) << f.out;
    }
    EXPECT_TRUE(std::filesystem::is_directory(path("taken.wav")));
    EXPECT_FALSE(std::filesystem::exists(path("no")));
}

TEST_F(CliRender, ABadOptionIsOneLineNamingItWithExitCodeTwoAndNoFile) {
    for (const QStringList& args :
         {QStringList{"render", "--carrier", "90"}, QStringList{"render", "--beat", "60"},
          QStringList{"render", "-o"}, QStringList{"render", "--volume", "3"}}) {
        const CliRun r = runCli(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("tovin-cli: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(args[1])) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(path("tovin.wav")));
}

TEST_F(CliRender, OnATerminalABarCountsTheBlocks) {
    // `script` gives the program a terminal; the file-size limit keeps the render short.
    const std::string out = path("bar.wav");
    const QString command = QStringLiteral("ulimit -f 3000; exec '%1' render -o '%2'")
                                .arg(TOVIN_CLI_PATH, QString::fromStdString(out));
    const CliRun r = run("script", {"-qec", "bash -c \"" + command + "\"", "/dev/null"});
    // 3000 KiB hold 46 blocks: the bar is redrawn every 8 and stops at 40.
    EXPECT_TRUE(r.out.contains(" 40/800 blocks")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(" 48/800 blocks")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("failed after")) << r.out.toStdString();
}

}  // namespace
