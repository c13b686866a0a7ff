#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/first_paint.h"
#include "tests/support/pump.h"

using std::chrono::milliseconds;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

double monotonicNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A widget that notes when it was last painted.
class Painted : public QWidget {
  public:
    explicit Painted(QWidget* parent = nullptr) : QWidget(parent) {}
    double lastPaint = 0.0;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override {
        lastPaint = monotonicNow();
        ++paints;
    }
};

std::vector<std::string> linesOf(std::FILE* f) {
    std::vector<std::string> lines;
    std::rewind(f);
    char buf[256];
    while (std::fgets(buf, sizeof buf, f) != nullptr) {
        lines.emplace_back(buf);
    }
    return lines;
}

TEST(FirstPaint, OneLineOnceTheFirstWindowAndItsControlsArePainted) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    WatchFirstPaint(*qApp, out);

    const double shown = monotonicNow();
    Painted window;
    window.resize(200, 100);
    Painted control(&window);
    control.setGeometry(10, 10, 50, 20);
    window.show();
    ASSERT_TRUE(PumpUntil([&] { return !linesOf(out).empty(); }, milliseconds(5000)));
    const double after = monotonicNow();
    ASSERT_GE(window.paints, 1);
    ASSERT_GE(control.paints, 1);

    std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 1u);
    double reported = 0.0;
    char tail[64] = {};
    ASSERT_EQ(
        std::sscanf(lines[0].c_str(), "tovin: first paint at %lf s %63[^\n]", &reported, tail), 2)
        << lines[0];
    EXPECT_STREQ(tail, "(monotonic clock)");
    // Not before the window was shown, and not before the last control of the first paint
    // pass was painted.
    EXPECT_GE(reported, shown);
    EXPECT_GE(reported, control.lastPaint);
    EXPECT_LE(reported, after);

    // Later paints, of this window or of another one, write nothing more.
    const int paintsBefore = window.paints;
    window.repaint();
    Painted second;
    second.resize(100, 100);
    second.show();
    ASSERT_TRUE(PumpUntil([&] { return second.paints > 0; }, milliseconds(5000)));
    PumpFor(milliseconds(50));
    EXPECT_GT(window.paints, paintsBefore);
    EXPECT_EQ(linesOf(out).size(), 1u);
    std::fclose(out);
}

}  // namespace
