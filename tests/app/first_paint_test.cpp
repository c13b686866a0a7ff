// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_paint.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "tests/support/pump.h"

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Painted : QWidget {
    using QWidget::QWidget;
    void paintEvent(QPaintEvent*) override { last = now(); }
    double last = 0.0;
};

std::string written(std::FILE* f) {
    std::rewind(f);
    char buf[256];
    return std::string(buf, std::fread(buf, 1, sizeof buf, f));
}

TEST(FirstPaint, OneLineOnceTheFirstWindowAndItsControlsArePainted) {
    std::FILE* out = std::tmpfile();
    WatchFirstPaint(*qApp, out);
    const double shown = now();
    Painted window;
    window.resize(200, 100);
    Painted control(&window);
    control.setGeometry(10, 10, 50, 20);
    window.show();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !written(out).empty(); }));
    const double after = now();
    const std::string line = written(out);
    EXPECT_EQ(line.find('\n'), line.size() - 1);  // one line, and the whole of it
    double reported = 0.0;
    char tail[64] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "tovin: first paint at %lf s %63[^\n]", &reported, tail),
              2);
    EXPECT_STREQ(tail, "(monotonic clock)");
    EXPECT_GE(reported, std::max(shown, control.last));
    EXPECT_LE(reported, after);
    Painted second;  // later paints, of this window or another, write nothing more
    second.show();
    window.repaint();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return second.last > 0; }));
    testsupport::PumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(written(out), line);
    std::fclose(out);
}

}  // namespace
