// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/draw_timeline.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <limits>

#include "plot/change_shades.h"
#include "plot/layout.h"
#include "plot/legend.h"
#include "plot/time_ticks.h"
#include "plot/voice_marks.h"
#include "session/timeline_query.h"

namespace plot {
namespace {

class Drawing {
  public:
    Drawing(QPainter& p, const QRectF& rect, const session::Session& s, const session::Timeline& t,
            const PlotView& view)
        : p_(p),
          rect_(rect),
          s_(s),
          t_(t),
          pal_(view.palette),
          l_(LayOut(rect, t, view)),
          f0_(l_.from * t.rate),
          f1_(l_.to * t.rate),
          play_(view.play) {}

    void Draw() {
        QFont font = p_.font();
        font.setPixelSize(static_cast<int>(l_.fontPixels));
        p_.setFont(font);
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setRenderHint(QPainter::TextAntialiasing, true);
        p_.fillRect(rect_, pal_.background);
        for (const Scale* s : panels()) {
            p_.fillRect(s->area, pal_.panel);
        }
        DrawChangeShades(p_, l_, t_, pal_);
        valueGrid();
        timeGrid();
        periods();
        clipToPanels();
        DrawVoices(p_, l_, t_, pal_);
        p_.setClipping(false);
        panelTitles();
        frames();
        DrawTitle(p_, l_, s_, t_, pal_);
        playLine();
    }

  private:
    std::array<const Scale*, 3> panels() const { return {&l_.rhythm, &l_.carrier, &l_.level}; }

    double x(double frame) const { return l_.XOf(frame / t_.rate); }

    // Every period in view, in order, with its index.
    template <typename Visit>
    void eachPeriod(Visit visit) const {
        const int first = std::max(0, session::PeriodAt(t_, static_cast<std::int64_t>(f0_)));
        for (std::size_t i = static_cast<std::size_t>(first);
             i < t_.periods.size() && static_cast<double>(t_.periods[i].begin) < f1_; ++i) {
            visit(i, t_.periods[i]);
        }
    }

    void clipToPanels() {
        QPainterPath clip;
        for (const Scale* s : panels()) {
            clip.addRect(s->area);
        }
        p_.setClipPath(clip);
    }

    // A line at every tick; a label at every tick a letter's height and a bit from the last
    // one labelled, so that a short panel (a small window) labels every other tick instead
    // of running its numbers together.
    void valueGrid() {
        const double f = l_.fontPixels;
        for (const Scale* s : panels()) {
            double lastLabel = std::numeric_limits<double>::infinity();
            for (const double value : Ticks(s->low, s->high, s->step)) {
                const double y = s->YOf(value);
                p_.setPen(QPen(pal_.grid, 1));
                p_.drawLine(QPointF(s->area.left(), y), QPointF(s->area.right(), y));
                if (lastLabel - y < 1.2 * f) {
                    continue;
                }
                lastLabel = y;
                p_.setPen(pal_.text);
                p_.drawText(
                    QRectF(rect_.left(), y - f, s->area.left() - rect_.left() - 0.4 * f, 2 * f),
                    Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
            }
        }
    }

    void timeGrid() {
        const double f = l_.fontPixels;
        const double width = l_.right() - l_.left();
        const double step = TimeStep(l_.to - l_.from, width, 7 * f);
        for (const double seconds : Ticks(l_.from, l_.to, step)) {
            const double at = l_.XOf(seconds);
            p_.setPen(QPen(pal_.grid, 1));
            for (const Scale* s : panels()) {
                p_.drawLine(QPointF(at, s->area.top()), QPointF(at, s->area.bottom()));
            }
            p_.setPen(pal_.text);
            p_.drawText(QRectF(at - 4 * f, l_.axis.top() + 0.2 * f, 8 * f, 1.4 * f),
                        Qt::AlignHCenter | Qt::AlignTop,
                        QString::fromStdString(TimeLabel(seconds, step)));
        }
        QString unit = QString("time (%1)").arg(TimeUnit(step));
        if (l_.endless) {
            unit += QStringLiteral(" — plays on without end ▸");
        }
        p_.drawText(QRectF(l_.axis.left(), l_.axis.top() + 1.6 * f, l_.axis.width(), 1.5 * f),
                    Qt::AlignRight | Qt::AlignTop, unit);
    }

    void periods() {
        const double f = l_.fontPixels;
        const QFontMetricsF metrics(p_.font());
        double lastLine = -f;
        eachPeriod([&](std::size_t i, const session::Period& period) {
            const double begin = x(static_cast<double>(period.begin));
            const double next = i + 1 < t_.periods.size()
                                    ? x(static_cast<double>(t_.periods[i + 1].begin))
                                    : l_.right();
            // Boundaries closer than a letter's height would only grey the panels over.
            if (begin >= l_.left() && begin - lastLine >= f) {
                lastLine = begin;
                p_.setPen(QPen(pal_.axis, 1, Qt::DotLine));
                p_.drawLine(QPointF(begin, l_.periods.top() + 0.2 * f),
                            QPointF(begin, l_.level.area.bottom()));
            }
            const double a = std::max(begin, l_.left()) + 0.3 * f;
            const double width = std::min(next, l_.right()) - a - 0.2 * f;
            if (width < 2 * f) {
                return;  // too narrow to name: the hover names it
            }
            const session::Entry& entry = s_.entries[period.entry];
            QString name = QString::fromStdString(s_.sets[entry.set].name);
            if (period.end == session::kEndless) {
                name += QStringLiteral(" ▸ endless");
            }
            p_.setPen(pal_.text);
            p_.drawText(QRectF(a, l_.periods.top(), width, l_.periods.height()),
                        Qt::AlignLeft | Qt::AlignVCenter,
                        metrics.elidedText(name, Qt::ElideRight, width));
        });
    }

    void panelTitles() {
        const double f = l_.fontPixels;
        const QFontMetricsF metrics(p_.font());
        const std::pair<const Scale*, QString> titles[] = {
            {&l_.rhythm, QStringLiteral("beat · pulse · spin rate (Hz)")},
            {&l_.carrier, QStringLiteral("carrier · bell (Hz)")},
            {&l_.level, QStringLiteral("level (% of full scale) · noise and mix filled")},
        };
        for (const auto& [scale, text] : titles) {
            const QRectF box(scale->area.left() + 0.4 * f, scale->area.top() + 0.3 * f,
                             metrics.horizontalAdvance(text) + 0.8 * f, 1.4 * f);
            QColor back = pal_.panel;
            back.setAlpha(215);
            p_.fillRect(box, back);
            p_.setPen(pal_.text);
            p_.drawText(box, Qt::AlignCenter, text);
        }
    }

    void frames() {
        p_.setPen(QPen(pal_.axis, 1));
        p_.setBrush(Qt::NoBrush);
        for (const Scale* s : panels()) {
            p_.drawRect(s->area);
        }
    }

    void playLine() {
        if (play_) {
            DrawPlayLine(p_, l_, pal_, *play_);
        }
    }

    QPainter& p_;
    QRectF rect_;
    const session::Session& s_;
    const session::Timeline& t_;
    const Palette& pal_;
    Layout l_;
    double f0_;  // the frames in view
    double f1_;
    std::optional<double> play_;
};

}  // namespace

void DrawPlayLine(QPainter& painter, const Layout& layout, const Palette& palette, double seconds) {
    if (seconds < layout.from || seconds > layout.to) {
        return;
    }
    const double at = layout.XOf(seconds);
    painter.save();
    painter.setPen(QPen(palette.play, 2));
    painter.drawLine(QPointF(at, layout.periods.bottom()), QPointF(at, layout.level.area.bottom()));
    const double r = layout.fontPixels / 2;
    painter.setBrush(palette.play);
    painter.drawPolygon(QPolygonF({QPointF(at - r, layout.periods.bottom() - r),
                                   QPointF(at + r, layout.periods.bottom() - r),
                                   QPointF(at, layout.periods.bottom())}));
    painter.restore();
}

void DrawTimeline(QPainter& painter, const QRectF& rect, const session::Session& session,
                  const session::Timeline& timeline, const PlotView& view) {
    painter.save();
    Drawing(painter, rect, session, timeline, view).Draw();
    painter.restore();
}

}  // namespace plot
