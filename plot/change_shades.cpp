// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/change_shades.h"

#include <QImage>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>
#include <vector>

#include "session/timeline_query.h"

namespace plot {
namespace {

// Past this many windows in view, each a rectangle of its own would cost a scanline per row
// of every one (a day of two-minute periods took a second): they go into one row of pixels
// instead, each column taking each window's colour at the share of it the window covers,
// and that row is stretched over each panel.
constexpr std::size_t kMostRectangles = 256;

struct Window {
    double a;  // its left and right in the picture, within the panels
    double z;
    const QColor* colour;
};

const QColor& shadeOf(session::Change change, const Palette& palette) {
    return change == session::Change::Slide     ? palette.slide
           : change == session::Change::Silence ? palette.silence
                                                : palette.crossfade;
}

QImage shadeRow(const std::vector<Window>& windows, const Layout& layout, double scale) {
    const int width =
        std::max(1, static_cast<int>(std::ceil((layout.right() - layout.left()) * scale)));
    std::vector<double> r(width), g(width), b(width), a(width);
    for (const Window& w : windows) {
        const double from = (w.a - layout.left()) * scale;
        const double to = (w.z - layout.left()) * scale;
        const double alpha = w.colour->alphaF();
        for (int col = std::max(0, static_cast<int>(from)); col < width && col < to; ++col) {
            // Windows never overlap, so the shares of one column add up to at most one.
            const double share = (std::min(col + 1.0, to) - std::max(col + 0.0, from)) * alpha;
            r[col] += share * w.colour->redF();
            g[col] += share * w.colour->greenF();
            b[col] += share * w.colour->blueF();
            a[col] += share;
        }
    }
    QImage row(width, 1, QImage::Format_ARGB32_Premultiplied);
    for (int col = 0; col < width; ++col) {
        const auto byte = [](double v) {
            return std::clamp(static_cast<int>(v * 255 + 0.5), 0, 255);
        };
        row.setPixel(col, 0, qRgba(byte(r[col]), byte(g[col]), byte(b[col]), byte(a[col])));
    }
    return row;
}

}  // namespace

void DrawChangeShades(QPainter& painter, const Layout& layout, const session::Timeline& timeline,
                      const Palette& palette) {
    const double f0 = layout.from * timeline.rate;
    const double f1 = layout.to * timeline.rate;
    std::vector<Window> windows;
    const int first = std::max(0, session::PeriodAt(timeline, static_cast<std::int64_t>(f0)) - 1);
    for (std::size_t i = static_cast<std::size_t>(first);
         i < timeline.periods.size() && static_cast<double>(timeline.periods[i].changeBegin) < f1;
         ++i) {
        const session::Period& p = timeline.periods[i];
        if (p.change == session::Change::Hold || p.changeEnd <= p.changeBegin) {
            continue;
        }
        const double a = std::max(layout.left(), layout.XOf(p.changeBegin / double(timeline.rate)));
        const double z = std::min(layout.right(), layout.XOf(p.changeEnd / double(timeline.rate)));
        if (a < z) {
            windows.push_back({a, z, &shadeOf(p.change, palette)});
        }
    }
    const Scale* panels[] = {&layout.rhythm, &layout.carrier, &layout.level};
    if (windows.size() <= kMostRectangles) {
        for (const Window& w : windows) {
            for (const Scale* s : panels) {
                painter.fillRect(QRectF(w.a, s->area.top(), w.z - w.a, s->area.height()),
                                 *w.colour);
            }
        }
        return;
    }
    const double scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage row = shadeRow(windows, layout, scale);
    for (const Scale* s : panels) {
        painter.drawImage(
            QRectF(layout.left(), s->area.top(), layout.right() - layout.left(), s->area.height()),
            row);
    }
}

}  // namespace plot
