// SPDX-License-Identifier: GPL-3.0-or-later
// tovin-cli plot as a user runs it, with no display: a PNG or an SVG of the size asked for,
// and every refusal one line with exit status 2.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <fstream>

#include "tests/support/cli_run.h"

namespace {

class PlotCli : public ::testing::Test {
  protected:
    PlotCli() {
        std::ofstream(path("s.sbg")) << "-SE\na: 200+10/20 pink/40\nb: 200+6/20\n"
                                        "0:00 a ->\n0:10 b\n0:20 b\n";
        std::ofstream(path("bad.sbg")) << "a: pink/30\n0:00 a\n0:10 b\n";
        QFile::link("/dev/full", dir.filePath("full.png"));  // a disk that is full
        QFile::link("/dev/full", dir.filePath("full.svg"));
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    testsupport::CliRun run(const QStringList& args) {
        return testsupport::Run(TOVIN_CLI_PATH, QStringList{"plot"} << args, dir.path());
    }
    QTemporaryDir dir;
};

TEST_F(PlotCli, WritesThePictureAtTheSizeAsked) {
    const struct {
        QStringList args;
        const char* out;
        int width, height;
    } cases[] = {
        {{"--session", "s.sbg", "-o", "a.png"}, "a.png", 1600, 900},
        {{"--tones", "pink/30 200+10/20", "--output", "b.PNG", "--size", "640x480"},
         "b.PNG",
         640,
         480},
        {{"--session", "s.sbg", "-o", "c.svg", "--size", "800x600"}, "c.svg", 800, 600},
    };
    for (const auto& c : cases) {
        const testsupport::CliRun result = run(c.args);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        QFile file(QString::fromStdString(path(c.out)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.out;
        const QByteArray bytes = file.readAll();
        if (QString(c.out).endsWith(".svg")) {
            EXPECT_TRUE(bytes.contains(
                QString("viewBox=\"0 0 %1 %2\"").arg(c.width).arg(c.height).toUtf8()));
            EXPECT_TRUE(bytes.contains("<text")) << "labels as text";
        } else {
            const QImage image = QImage::fromData(bytes, "PNG");
            EXPECT_EQ(image.size(), QSize(c.width, c.height)) << c.out;
        }
    }
}

TEST_F(PlotCli, RefusesBadInputInOneLineWithStatusTwo) {
    const struct {
        QStringList args;
        const char* error;
        int lines;  // a reader's error shows the line and a caret under the column
    } cases[] = {
        {{"--session", "s.sbg", "-o", "x.jpg"},
         "tovin-cli: -o: expected a file name ending in .png or .svg, got 'x.jpg'",
         1},
        {{"--session", "s.sbg", "-o", "x.png", "--size", "1600"},
         "tovin-cli: --size: expected a size as WxH, each side 64 to 8192 pixels, got '1600'",
         1},
        {{"--session", "s.sbg", "-o", "x.png", "--size", "10x900"},
         "tovin-cli: --size: expected a size as WxH, each side 64 to 8192 pixels, got '10x900'",
         1},
        {{"--session", "s.sbg"}, "tovin-cli: -o: required: the picture to write (.png or .svg)", 1},
        {{"-o", "x.png"}, "tovin-cli: plot: expected --session FILE or --tones VOICES", 1},
        {{"--session", "bad.sbg", "-o", "x.png"}, "tovin-cli: bad.sbg:3:6: ", 3},
        {{"--tones", "pink/300", "-o", "x.png"}, "tovin-cli: --tones:1:6: ", 3},
        {{"--session", "s.sbg", "-o", "no/dir.png"}, "tovin-cli: cannot write no/dir.png: ", 1},
        {{"--session", "s.sbg", "-o", "full.png"},
         "tovin-cli: cannot write full.png: No space left on device",
         1},
        {{"--session", "s.sbg", "-o", "full.svg"},
         "tovin-cli: cannot write full.svg: No space left on device",
         1},
    };
    for (const auto& c : cases) {
        const testsupport::CliRun result = run(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith(c.error)) << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), c.lines) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("x.png"))));
    }
}

}  // namespace
