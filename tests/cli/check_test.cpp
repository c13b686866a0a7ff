// tovin-cli check as a user runs it: the timeline of a good file, the errors of a bad one.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "tests/support/cli_run.h"

namespace {

// Runs "check s.sbg" in a fresh folder holding `text` as s.sbg.
testsupport::CliRun check(const std::string& text) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("s.sbg").toStdString()) << text;
    return testsupport::Run(TOVIN_CLI_PATH, {"check", "s.sbg"}, dir.path());
}

TEST(Check, PrintsTheTimelineOfTheExample) {
    const testsupport::CliRun r = check(
        "## Thirty minutes from alpha down to theta and back\n-SE\n"
        "start: pink/40 200+10/15\ndeep:  pink/40 200+6/20\noff:   -\n"
        "00:00:00 off ->\n00:00:15 start\n00:10:00 == start ->\n00:15:00 == deep\n"
        "00:25:00 == deep ->\n00:29:00 == start ->\n00:30:00 off\n");
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // 200 + 6/2 and 200 - 6/2 in the ears; the slide between minutes 10 and 15.
    for (const char* line :
         {"Thirty minutes from alpha down to theta and back\n", "\n00:15:00 - 00:25:00  deep\n",
          "     2  binaural     left 203 Hz, right 197 Hz",
          "    then slide to deep, 00:10:00 - 00:15:00\n",
          "    then crossfade to off, 00:29:00 - 00:30:00\n", "\n00:30:00  end\n"}) {
        EXPECT_TRUE(r.out.contains(line)) << line << "\nin:\n" << r.out.toStdString();
    }
}

TEST(Check, PrintsEachErrorWithItsLineAndExitsWith2) {
    const testsupport::CliRun r = check("a: pink/200\n0:00 a\n0:01 b\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out.toStdString(), "");
    EXPECT_EQ(r.err.toStdString(),
              "tovin-cli: s.sbg:1:9: an amplitude is 0 to 100\na: pink/200\n        ^\n"
              "tovin-cli: s.sbg:3:6: unknown tone-set 'b'\n0:01 b\n     ^\n");
}

}  // namespace
