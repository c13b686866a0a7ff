// SPDX-License-Identifier: GPL-3.0-or-later
// How long the timeline picture takes for a 24-hour session: a full redraw at 1600x900 on an
// image, as the session window repaints it (median and worst of `runs`), the same zoomed to
// one hour, and `tovin-cli plot` of the session to a PNG and an SVG, start to end.
// The session: an entry every two minutes (720), every third sliding to the next, the others
// crossfading, between four sets of a binaural voice, an isochronic one, pink noise, a spin
// and a bell. Then the same full redraw of the session window's long session: 100000
// periods, about 60 to a pixel column.
// Usage: bench_plot_redraw [runs]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/long_session.h"
#include "bench/run_program.h"
#include "plot/draw_timeline.h"
#include "session/reader.h"

namespace {

std::string dayLong() {
    std::string text =
        "## A day and a night\n-SE\n"
        "w: pink/30 200+10/15 300@8/10 spin:300+0.2/10 bell+600/10\n"
        "x: pink/35 190+7/15 280@6/10 spin:300+0.3/10\n"
        "y: pink/40 180+4/15 260@4/10 spin:400+0.1/10 bell+500/10\n"
        "z: brown/30 170+2/15 240@3/10 spin:200+0.4/10\n"
        "off: -\n";
    const char* const sets[] = {"w", "x", "y", "z"};
    for (int k = 0; k < 720; ++k) {
        char line[64];
        const int minutes = 2 * k;
        std::snprintf(line, sizeof line, "%d:%02d:00 %s%s\n", minutes / 60 % 24, minutes % 60,
                      sets[k % 4], k % 3 == 0 ? " ->" : "");
        text += line;
    }
    return text + "0:00:00 off\n";
}

bench::Times redraws(const session::Session& s, const session::Timeline& t,
                     const plot::PlotView& view, int runs) {
    QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
    bench::Times times;
    for (int run = 0; run < runs; ++run) {
        const auto start = bench::Clock::now();
        QPainter painter(&image);
        plot::DrawTimeline(painter, QRectF(0, 0, 1600, 900), s, t, view);
        painter.end();
        times.runs.push_back(bench::SecondsSince(start));
    }
    return times;
}

double worst(const bench::Times& t) {
    return *std::max_element(t.runs.begin(), t.runs.end());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string text = dayLong();
    const session::ReadResult read = session::ReadSessionText(text, "day.sbg");
    if (!read.session) {
        std::printf("the session was not read: %s\n", read.problems.front().text.c_str());
        return 1;
    }
    const session::Timeline t = session::BuildTimeline(*read.session, 44100);
    std::printf("24-hour session: %zu entries, %zu spans\n", read.session->entries.size(),
                t.spans.size());
    const bench::Times whole = redraws(*read.session, t, plot::PlotView{}, runs);
    std::printf("full redraw at 1600x900: median %.1f ms, worst %.1f ms (%d runs)\n",
                1000 * whole.median(), 1000 * worst(whole), runs);
    plot::PlotView hour;
    hour.from = 12 * 3600;
    hour.to = 13 * 3600;
    hour.play = 12.5 * 3600;
    const bench::Times zoomed = redraws(*read.session, t, hour, runs);
    std::printf("one hour of it, with the play line: median %.1f ms, worst %.1f ms\n",
                1000 * zoomed.median(), 1000 * worst(zoomed));

    const session::ReadResult longRead =
        session::ReadSessionText(bench::LongSession(100000), "long.sbg");
    if (!longRead.session) {
        std::printf("the long session was not read: %s\n", longRead.problems.front().text.c_str());
        return 1;
    }
    const session::Timeline longTimeline = session::BuildTimeline(*longRead.session, 44100);
    const bench::Times dense =
        redraws(*longRead.session, longTimeline, plot::PlotView{}, std::min(runs, 5));
    std::printf("100000 periods (%zu spans), full redraw: median %.1f ms, worst %.1f ms\n",
                longTimeline.spans.size(), 1000 * dense.median(), 1000 * worst(dense));

    QTemporaryDir dir;
    const std::string file = dir.filePath("day.sbg").toStdString();
    std::ofstream(file) << text;
    for (const char* out : {"day.png", "day.svg"}) {
        bench::Times plots;
        for (int run = 0; run < std::min(runs, 5); ++run) {
            plots.runs.push_back(bench::TimeProgram({TOVIN_CLI_PATH, "plot", "--session", file,
                                                     "-o", dir.filePath(out).toStdString()}));
        }
        if (plots.best() < 0) {
            std::printf("tovin-cli plot to %s failed\n", out);
            return 1;
        }
        std::printf("tovin-cli plot --session day.sbg -o %s: median %.0f ms, best %.0f ms\n", out,
                    1000 * plots.median(), 1000 * plots.best());
    }
    return 0;
}
