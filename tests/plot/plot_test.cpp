// SPDX-License-Identifier: GPL-3.0-or-later
// The timeline picture against the session's values worked out by hand: each curve's pixel
// in a column lies where its value maps on its panel's scale, inside slides and zoomed in;
// bells are marked at their strikes; the hover query names the period and the voices.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

#include "plot/draw_timeline.h"
#include "plot/hover.h"
#include "plot/layout.h"
#include "session/reader.h"

namespace {

// A slide from a 10 Hz to a 6 Hz beat over the first minute; a bell struck at 1:40 in a
// crossfade between the same voices (1:30 to 1:50).
constexpr const char* kSession =
    "-SE\na: 200+10/20 pink/40\nb: 200+6/20 pink/40\nc: 200+6/20 pink/40 bell+400/20\n"
    "0:00:00 a ->\n0:01:00 b\n0:01:40 c\n0:02:00 b\n";

constexpr int kRate = 8000;
const QRectF kRect(0, 0, 1600, 900);

struct Picture {
    session::Session session;
    session::Timeline timeline;
    plot::PlotView view;
    QImage image{1600, 900, QImage::Format_ARGB32};
    plot::Layout layout;

    explicit Picture(const char* text, plot::PlotView shown = {}) : view(std::move(shown)) {
        const auto read = session::ReadSessionText(text, "night.sbg");
        EXPECT_TRUE(read.session) << read.problems.front().text;
        session = *read.session;
        timeline = session::BuildTimeline(session, kRate);
        QPainter painter(&image);
        plot::DrawTimeline(painter, kRect, session, timeline, view);
        layout = plot::LayOut(kRect, timeline, view);
    }

    // The middle of the rows of column `x` within `area` nearest `colour`, and how near.
    std::pair<double, int> nearest(double x, const QRectF& area, QColor colour) const {
        std::vector<std::pair<int, int>> rows;  // row, distance
        int best = 1 << 30;
        for (int y = static_cast<int>(area.top()) + 1; y < static_cast<int>(area.bottom()); ++y) {
            const QColor c = image.pixelColor(static_cast<int>(x), y);
            const int d = std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                          std::abs(c.blue() - colour.blue());
            rows.emplace_back(y, d);
            best = std::min(best, d);
        }
        double sum = 0;
        int count = 0;
        for (const auto& [y, d] : rows) {
            if (d <= best + 10) {
                sum += y + 0.5;
                ++count;
            }
        }
        return {sum / std::max(1, count), best};
    }

    QColor colour(session::VoiceKind kind) const { return plot::KindColour(view.palette, kind); }
};

enum class Panel { Rhythm, Carrier, Level };

TEST(TimelinePicture, EachCurveLiesWhereItsValueMaps) {
    const struct {
        double from, to;  // the view; equal: the whole session
        double seconds;
        Panel panel;
        session::VoiceKind kind;
        double value;  // worked out from the session
    } cases[] = {
        {0, 0, 15, Panel::Rhythm, session::VoiceKind::Binaural, 9},  // a quarter through the slide
        {0, 0, 30, Panel::Rhythm, session::VoiceKind::Binaural, 8},
        {0, 0, 45, Panel::Rhythm, session::VoiceKind::Binaural, 7},
        {0, 0, 80, Panel::Rhythm, session::VoiceKind::Binaural, 6},
        {20, 40, 25, Panel::Rhythm, session::VoiceKind::Binaural, 10 - 4.0 * 25 / 60},  // zoomed
        {20, 40, 35, Panel::Rhythm, session::VoiceKind::Binaural, 10 - 4.0 * 35 / 60},
        {0, 0, 50, Panel::Carrier, session::VoiceKind::Binaural, 200},
        {0, 0, 50, Panel::Level, session::VoiceKind::Binaural, 20},
        {0, 0, 70, Panel::Level, session::VoiceKind::Pink, 40},  // the band's edge
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.seconds) + " s, panel " +
                     std::to_string(static_cast<int>(c.panel)));
        plot::PlotView view;
        view.from = c.from;
        view.to = c.to;
        const Picture p(kSession, view);
        const plot::Scale& scale = c.panel == Panel::Rhythm    ? p.layout.rhythm
                                   : c.panel == Panel::Carrier ? p.layout.carrier
                                                               : p.layout.level;
        const auto [row, distance] =
            p.nearest(p.layout.XOf(c.seconds), scale.area, p.colour(c.kind));
        EXPECT_LT(distance, 60) << "no pixel of the voice's colour in the column";
        EXPECT_NEAR(row, scale.YOf(c.value), 1.5);
    }
}

// Past a span to a pixel column, each column is one line from the least to the greatest
// value in it: 6000 one-second slides zigzag between 4 and 12 Hz, then between 6 and 8 Hz,
// about four to a column.
TEST(TimelinePicture, AColumnOfManySpansCoversTheirValuesAndNoMore) {
    std::string text = "-SE\na: 200+4/20\nb: 200+12/20\nc: 200+6/20\nd: 200+8/20\n";
    for (int k = 0; k < 6000; ++k) {
        text += std::to_string(k / 3600) + ":" + std::to_string(k / 600 % 6) +
                std::to_string(k / 60 % 10) + ":" + std::to_string(k % 60 / 10) +
                std::to_string(k % 10) + " " + "abcd"[k % 2 + (k < 3000 ? 0 : 2)] +
                (k < 5999 ? " ->\n" : "\n");
    }
    const Picture p(text.c_str());
    const plot::Scale& beat = p.layout.rhythm;
    const double pixel = (beat.high - beat.low) / beat.area.height();
    for (const auto& [seconds, low, high] : {std::tuple{700.0, 4.0, 12.0},
                                             {2200.0, 4.0, 12.0},
                                             {3800.0, 6.0, 8.0},
                                             {5300.0, 6.0, 8.0}}) {
        const auto drawn = [&](double value) {
            const QColor c = p.image.pixelColor(static_cast<int>(p.layout.XOf(seconds)),
                                                static_cast<int>(beat.YOf(value)));
            const QColor want = p.colour(session::VoiceKind::Binaural);
            return std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                       std::abs(c.blue() - want.blue()) <
                   60;
        };
        for (double value = low; value <= high; value += (high - low) / 8) {
            EXPECT_TRUE(drawn(value)) << seconds << " s: " << value << " Hz is not covered";
        }
        // Three pixels past either end, the panel as it was.
        EXPECT_FALSE(drawn(high + 3 * pixel) || drawn(low - 3 * pixel)) << seconds << " s";
    }
}

TEST(TimelinePicture, BellsAreMarkedWhereTheyStrikeAndNowhereElse) {
    const Picture p(kSession);
    const QColor bell = p.colour(session::VoiceKind::Bell);
    const struct {
        double seconds;
        bool marked;
    } columns[] = {{100, true}, {70, false}, {115, false}};
    for (const auto& c : columns) {
        const auto [row, distance] =
            p.nearest(p.layout.XOf(c.seconds), p.layout.carrier.area, bell);
        EXPECT_EQ(distance < 60, c.marked) << c.seconds << " s";
        if (c.marked) {
            EXPECT_NEAR(row, p.layout.carrier.YOf(400), 1.5);
        }
    }
}

TEST(TimelinePicture, HoverNamesThePeriodTheVoicesAndTheChange) {
    const Picture p(kSession);
    const struct {
        double seconds;
        const char* text;  // empty: nothing there
    } cases[] = {
        {30, "0:00:30  a\nbinaural 204.0|196.0 Hz 20%\npink 40%\nslide, 0:00:30 to go"},
        {70, "0:01:10  b\nbinaural 203.0|197.0 Hz 20%\npink 40%\ncrossfade in 0:00:20"},
        {102,
         "0:01:42  c\nbinaural 203.0|197.0 Hz 20%\npink 40%\nbell 400.0 Hz 20%\n"
         "crossfade, 0:00:08 to go"},
        {119.5, "0:01:59  c\nbinaural 203.0|197.0 Hz 20%\npink 40%\ncrossfade, 0:00:00 to go"},
        {120, ""},  // the end
    };
    for (const auto& c : cases) {
        const auto hover =
            plot::HoverAt(kRect, p.session, p.timeline, p.view, p.layout.XOf(c.seconds));
        EXPECT_EQ(hover ? hover->Text() : "", c.text) << c.seconds << " s";
    }
}

TEST(TimelinePicture, AnEndlessSessionIsDrawnPastItsLastEntryAndThePlayLineStands) {
    const struct {
        const char* text;
        double to;  // the last entry, and a fifth as long again or five minutes
    } cases[] = {{"a: pink/10\n0:00 a\n", 300}, {"a: pink/10\n0:00 a\n1:00 a\n", 3600 + 720}};
    for (const auto& c : cases) {
        plot::PlotView view;
        view.play = c.to / 2;
        const Picture p(c.text, view);
        EXPECT_DOUBLE_EQ(p.layout.to, c.to);
        EXPECT_TRUE(p.layout.endless);
        const auto [row, distance] =
            p.nearest(p.layout.XOf(c.to / 2), p.layout.rhythm.area, view.palette.play);
        EXPECT_LT(distance, 60) << "the play line";
    }
}

// Under a change window the panel shows the window's colour over the panel's: drawn as
// rectangles for a few windows, as one stretched row of pixels past 256 of them.
TEST(TimelinePicture, ChangesAreShadedInTheirKindsColour) {
    const plot::Palette light = plot::LightPalette();
    const QColor& shade = light.slide;
    const double alpha = shade.alpha() / 255.0;
    const auto blend = [&](int over, int under) { return over * alpha + under * (1 - alpha); };
    const QColor expected(qRound(blend(shade.red(), light.panel.red())),
                          qRound(blend(shade.green(), light.panel.green())),
                          qRound(blend(shade.blue(), light.panel.blue())));
    for (const int entries : {3, 300}) {
        std::string text = "-SE\na: pink/10\n";
        for (int k = 0; k < entries; ++k) {
            text += std::to_string(k / 60) + ":" + std::to_string(k % 60 / 10) +
                    std::to_string(k % 10) + (k + 1 < entries ? " a ->\n" : " a\n");
        }
        const Picture p(text.c_str());
        // The commonest colour along a row of the empty beat panel, between its grid lines.
        std::map<QRgb, int> seen;
        const int y = static_cast<int>(p.layout.rhythm.YOf(p.layout.rhythm.step / 2));
        for (int x = static_cast<int>(p.layout.left()) + 20; x < p.layout.right() - 20; ++x) {
            ++seen[p.image.pixel(x, y)];
        }
        const QColor got(std::max_element(seen.begin(), seen.end(), [](auto a, auto b) {
                             return a.second < b.second;
                         })->first);
        SCOPED_TRACE(std::to_string(entries) + " windows");
        EXPECT_NEAR(got.red(), expected.red(), 2);
        EXPECT_NEAR(got.green(), expected.green(), 2);
        EXPECT_NEAR(got.blue(), expected.blue(), 2);
    }
}

}  // namespace
