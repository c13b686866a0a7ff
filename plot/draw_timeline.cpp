// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/draw_timeline.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "plot/layout.h"
#include "plot/time_ticks.h"
#include "session/clock.h"
#include "session/timeline_query.h"
#include "session/voice_kind.h"

namespace plot {
namespace {

using session::Span;
using session::Track;
using session::VoiceKindInfo;
using session::VoiceState;

// The part of a span in view, in frames, and a track's value anywhere in it: the timeline
// moves every value linearly over a span, so its two ends in view draw it exactly.
struct Piece {
    const Span& span;
    double a;  // first frame in view
    double z;  // last, or the span's end
    double valueAt(double from, double to, double frame) const {
        if (span.end == session::kEndless) {
            return from;
        }
        return from + (to - from) * (frame - static_cast<double>(span.begin)) /
                          static_cast<double>(span.end - span.begin);
    }
};

// Lines of one colour and style, drawn in one call.
struct LineGroup {
    QColor colour;
    bool dashed = false;
    std::vector<QLineF> lines;
};

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
        shades();
        valueGrid();
        timeGrid();
        periods();
        clipToPanels();
        bands();
        curves();
        bells();
        p_.setClipping(false);
        panelTitles();
        frames();
        title();
        playLine();
    }

  private:
    std::array<const Scale*, 3> panels() const { return {&l_.rhythm, &l_.carrier, &l_.level}; }

    double x(double frame) const { return l_.XOf(frame / t_.rate); }

    // Every span in view, in order.
    template <typename Visit>
    void eachPiece(Visit visit) const {
        auto span = std::partition_point(t_.spans.begin(), t_.spans.end(), [this](const Span& sp) {
            return static_cast<double>(sp.end) <= f0_;
        });
        for (; span != t_.spans.end() && static_cast<double>(span->begin) < f1_; ++span) {
            const double end =
                span->end == session::kEndless ? f1_ : static_cast<double>(span->end);
            visit(
                Piece{*span, std::max(f0_, static_cast<double>(span->begin)), std::min(f1_, end)});
        }
    }

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

    void shades() {
        eachPeriod([this](std::size_t, const session::Period& period) {
            if (period.change == session::Change::Hold || period.changeEnd <= period.changeBegin) {
                return;
            }
            const QColor& shade = period.change == session::Change::Slide     ? pal_.slide
                                  : period.change == session::Change::Silence ? pal_.silence
                                                                              : pal_.crossfade;
            const double a = std::max(l_.left(), x(static_cast<double>(period.changeBegin)));
            const double z = std::min(l_.right(), x(static_cast<double>(period.changeEnd)));
            for (const Scale* s : panels()) {
                p_.fillRect(QRectF(a, s->area.top(), std::max(1.0, z - a), s->area.height()),
                            shade);
            }
        });
    }

    void valueGrid() {
        const double f = l_.fontPixels;
        for (const Scale* s : panels()) {
            for (const double value : Ticks(s->low, s->high, s->step)) {
                const double y = s->YOf(value);
                p_.setPen(QPen(pal_.grid, 1));
                p_.drawLine(QPointF(s->area.left(), y), QPointF(s->area.right(), y));
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
        eachPeriod([&](std::size_t i, const session::Period& period) {
            const double begin = x(static_cast<double>(period.begin));
            const double next = i + 1 < t_.periods.size()
                                    ? x(static_cast<double>(t_.periods[i + 1].begin))
                                    : l_.right();
            if (begin >= l_.left()) {
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

    // A voice whose level goes to or comes from nothing over the span fades out or in: drawn
    // dashed, so that a crossfade's two beats read as the one leaving and the one coming.
    static bool fading(const Track& track) {
        return (track.from.amplitude == 0) != (track.to.amplitude == 0);
    }

    void addLine(std::vector<LineGroup>& groups, QColor colour, bool dashed, QLineF line) {
        for (LineGroup& g : groups) {
            if (g.colour == colour && g.dashed == dashed) {
                g.lines.push_back(line);
                return;
            }
        }
        groups.push_back({colour, dashed, {line}});
    }

    void drawGroups(const std::vector<LineGroup>& groups, double width) {
        for (const LineGroup& g : groups) {
            QPen pen(g.colour, width, g.dashed ? Qt::DashLine : Qt::SolidLine);
            pen.setCapStyle(Qt::FlatCap);
            p_.setPen(pen);
            p_.drawLines(g.lines.data(), static_cast<int>(g.lines.size()));
        }
    }

    void curves() {
        std::vector<LineGroup> groups;
        const auto line = [&](const Piece& piece, const Track& track, const Scale& scale,
                              double from, double to) {
            addLine(groups, KindColour(pal_, track.kind), fading(track),
                    QLineF(x(piece.a), scale.YOf(piece.valueAt(from, to, piece.a)), x(piece.z),
                           scale.YOf(piece.valueAt(from, to, piece.z))));
        };
        eachPiece([&](const Piece& piece) {
            for (const Track& track : piece.span.tracks) {
                const VoiceKindInfo& info = session::KindOf(track.kind);
                if (track.kind == session::VoiceKind::Bell) {
                    continue;  // marks of their own
                }
                if (info.rhythm != nullptr) {
                    line(piece, track, l_.rhythm, track.from.*info.rhythm, track.to.*info.rhythm);
                }
                if (info.pitch != nullptr) {
                    line(piece, track, l_.carrier, track.from.*info.pitch, track.to.*info.pitch);
                }
                if (!info.band) {
                    line(piece, track, l_.level, 100 * track.from.amplitude,
                         100 * track.to.amplitude);
                }
            }
        });
        drawGroups(groups, std::max(1.5, l_.fontPixels / 6));
    }

    // Noise and the mix fill their level down to 0, one quad a span. Without antialiasing,
    // quads that share an edge meet without a seam.
    void bands() {
        std::vector<LineGroup> tops;
        std::map<QRgb, QPainterPath> fills;
        const Scale& s = l_.level;
        eachPiece([&](const Piece& piece) {
            for (const Track& track : piece.span.tracks) {
                if (!session::KindOf(track.kind).band) {
                    continue;
                }
                const QPointF top0(
                    x(piece.a),
                    s.YOf(100 * piece.valueAt(track.from.amplitude, track.to.amplitude, piece.a)));
                const QPointF top1(
                    x(piece.z),
                    s.YOf(100 * piece.valueAt(track.from.amplitude, track.to.amplitude, piece.z)));
                const QColor colour = KindColour(pal_, track.kind);
                QPainterPath& path = fills[colour.rgba()];
                path.moveTo(top0.x(), s.YOf(0));
                path.lineTo(top0);
                path.lineTo(top1);
                path.lineTo(top1.x(), s.YOf(0));
                path.closeSubpath();
                addLine(tops, colour, fading(track), QLineF(top0, top1));
            }
        });
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(Qt::NoPen);
        for (const auto& [rgba, path] : fills) {
            QColor fill = QColor::fromRgba(rgba);
            fill.setAlpha(70);
            p_.setBrush(fill);
            p_.drawPath(path);
        }
        p_.setBrush(Qt::NoBrush);
        p_.setRenderHint(QPainter::Antialiasing, true);
        drawGroups(tops, std::max(1.5, l_.fontPixels / 6));
    }

    // A bell is a mark at its strike: a diamond at its pitch, and its level at the strike.
    void bells() {
        std::set<int> seen;
        const double r = std::max(3.0, l_.fontPixels / 2.5);
        eachPiece([&](const Piece& piece) {
            for (const Track& track : piece.span.tracks) {
                const VoiceKindInfo& info = session::KindOf(track.kind);
                const auto strike = static_cast<double>(track.strike);
                if (track.kind != session::VoiceKind::Bell || strike < f0_ || strike > f1_ ||
                    !seen.insert(track.id).second) {
                    continue;
                }
                const double at = x(strike);
                const QColor colour = KindColour(pal_, track.kind);
                p_.setPen(QPen(colour, 1, Qt::DotLine));
                p_.drawLine(QPointF(at, l_.rhythm.area.top()), QPointF(at, l_.level.area.bottom()));
                p_.setPen(QPen(pal_.background, 1));
                p_.setBrush(colour);
                if (info.pitch != nullptr) {
                    const double y = l_.carrier.YOf(track.from.*info.pitch);
                    p_.drawPolygon(QPolygonF({QPointF(at, y - r), QPointF(at + r, y),
                                              QPointF(at, y + r), QPointF(at - r, y)}));
                }
                p_.drawEllipse(QPointF(at, l_.level.YOf(100 * track.from.amplitude)), r * 0.8,
                               r * 0.8);
                p_.setBrush(Qt::NoBrush);
            }
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

    // The session's name and length on the left; on the right, what each colour and shade
    // stands for, as far as there is room.
    void title() {
        const double f = l_.fontPixels;
        const QFontMetricsF metrics(p_.font());
        QString text = QFileInfo(QString::fromStdString(s_.source)).fileName();
        text += t_.end == session::kEndless
                    ? QStringLiteral(" — plays on without end")
                    : QStringLiteral(" — ") + QString::fromStdString(session::FormatFrames(
                                                  t_.end, t_.rate, session::ClockStyle::Running));
        QFont bold = p_.font();
        bold.setBold(true);
        p_.save();
        p_.setFont(bold);
        p_.setPen(pal_.text);
        const double titleRight = l_.title.left() + QFontMetricsF(bold).horizontalAdvance(text);
        p_.drawText(l_.title, Qt::AlignLeft | Qt::AlignVCenter, text);
        p_.restore();

        std::vector<std::pair<QColor, QString>> keys;
        std::set<session::VoiceKind> present;
        for (const Span& span : t_.spans) {
            for (const Track& track : span.tracks) {
                present.insert(track.kind);
            }
        }
        for (const session::VoiceKindInfo* info : session::VoiceKinds()) {
            if (present.count(info->kind) != 0) {
                keys.emplace_back(KindColour(pal_, info->kind), QString::fromUtf8(info->name));
            }
        }
        std::set<session::Change> changes;
        for (const session::Period& period : t_.periods) {
            changes.insert(period.change);
        }
        const std::pair<session::Change, std::pair<QColor, QString>> shades[] = {
            {session::Change::Crossfade, {pal_.crossfade, QStringLiteral("crossfade")}},
            {session::Change::Slide, {pal_.slide, QStringLiteral("slide")}},
            {session::Change::Silence, {pal_.silence, QStringLiteral("through silence")}},
        };
        for (const auto& [change, key] : shades) {
            if (changes.count(change) != 0) {
                keys.push_back(key);
            }
        }
        double right = l_.title.right();
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            const double width = metrics.horizontalAdvance(key->second);
            const double left = right - width - 1.6 * f;
            if (left < titleRight + 2 * f) {
                break;
            }
            const QRectF swatch(left, l_.title.center().y() - 0.4 * f, 1.1 * f, 0.8 * f);
            p_.fillRect(swatch, pal_.panel);
            p_.fillRect(swatch, key->first);
            p_.setPen(pal_.text);
            p_.drawText(QRectF(left + 1.5 * f, l_.title.top(), width + 0.1 * f, l_.title.height()),
                        Qt::AlignLeft | Qt::AlignVCenter, key->second);
            right = left - 1.2 * f;
        }
    }

    void playLine() {
        if (!play_ || *play_ < l_.from || *play_ > l_.to) {
            return;
        }
        const double at = l_.XOf(*play_);
        p_.setPen(QPen(pal_.play, 2));
        p_.drawLine(QPointF(at, l_.periods.bottom()), QPointF(at, l_.level.area.bottom()));
        const double r = l_.fontPixels / 2;
        p_.setBrush(pal_.play);
        p_.drawPolygon(QPolygonF({QPointF(at - r, l_.periods.bottom() - r),
                                  QPointF(at + r, l_.periods.bottom() - r),
                                  QPointF(at, l_.periods.bottom())}));
        p_.setBrush(Qt::NoBrush);
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

void DrawTimeline(QPainter& painter, const QRectF& rect, const session::Session& session,
                  const session::Timeline& timeline, const PlotView& view) {
    painter.save();
    Drawing(painter, rect, session, timeline, view).Draw();
    painter.restore();
}

}  // namespace plot
