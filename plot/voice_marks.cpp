// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/voice_marks.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "plot/column_curve.h"
#include "session/voice_kind.h"

namespace plot {
namespace {

using session::Span;
using session::Track;
using session::VoiceKindInfo;

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

class Voices {
  public:
    Voices(QPainter& p, const Layout& l, const session::Timeline& t, const Palette& pal)
        : p_(p), l_(l), t_(t), pal_(pal), f0_(l.from * t.rate), f1_(l.to * t.rate) {}

    void Draw() {
        bands();
        curves();
        bells();
    }

  private:
    double x(double frame) const { return l_.XOf(frame / t_.rate); }
    int column(double frame) const { return static_cast<int>(std::floor(x(frame) - l_.left())); }

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

    // A voice whose level goes to or comes from nothing over the span fades out or in: drawn
    // dashed, so that a crossfade's two beats read as the one leaving and the one coming.
    static bool fading(const Track& track) {
        return (track.from.amplitude == 0) != (track.to.amplitude == 0);
    }

    // Which of the span's voices of its kind and fading a track is: the first binaural
    // voice of one span goes on as the first of the next on the same line.
    class Counts {
      public:
        int Next(const Track& track) {
            return n_[static_cast<std::size_t>(track.kind)][fading(track) ? 1 : 0]++;
        }

      private:
        int n_[static_cast<std::size_t>(session::VoiceKind::Mix) + 1][2] = {};
    };

    static ColumnCurve& curveOf(std::vector<ColumnCurve>& curves, QColor colour, bool dashed,
                                const Scale* scale, int nth, const Layout& layout) {
        for (ColumnCurve& c : curves) {
            if (c.Is(colour, dashed, scale, nth)) {
                return c;
            }
        }
        return curves.emplace_back(colour, dashed, scale, nth, layout);
    }

    double lineWidth() const { return std::max(1.5, l_.fontPixels / 6); }

    void curves() {
        std::vector<ColumnCurve> curves;
        eachPiece([&](const Piece& piece) {
            Counts counts;
            for (const Track& track : piece.span.tracks) {
                const VoiceKindInfo& info = session::KindOf(track.kind);
                if (track.kind == session::VoiceKind::Bell) {
                    continue;  // marks of their own
                }
                const int nth = counts.Next(track);
                const auto line = [&](const Scale& scale, double from, double to) {
                    curveOf(curves, KindColour(pal_, track.kind), fading(track), &scale, nth, l_)
                        .Add(QPointF(x(piece.a), scale.YOf(piece.valueAt(from, to, piece.a))),
                             QPointF(x(piece.z), scale.YOf(piece.valueAt(from, to, piece.z))));
                };
                if (info.rhythm != nullptr) {
                    line(l_.rhythm, track.from.*info.rhythm, track.to.*info.rhythm);
                }
                if (info.pitch != nullptr) {
                    line(l_.carrier, track.from.*info.pitch, track.to.*info.pitch);
                }
                if (!info.band) {
                    line(l_.level, 100 * track.from.amplitude, 100 * track.to.amplitude);
                }
            }
        });
        for (ColumnCurve& c : curves) {
            c.Draw(p_, lineWidth());
        }
    }

    // Noise and the mix fill their level down to 0: one polygon for each stretch a track
    // plays unbroken, its top through every span's two ends in view. One polygon is one pass
    // over the rows; a quad a span, in a day of short periods, took most of a second. A
    // piece narrower than a pixel column fills its column up to the highest level in it
    // instead, one polygon for each run of such columns.
    void bands() {
        struct Run {
            QColor colour;
            QPolygonF top;
        };
        std::map<int, Run> open;  // by track id
        std::vector<Run> done;
        std::vector<ColumnCurve> tops;
        std::vector<std::pair<QColor, std::vector<double>>> filled;  // the top y by column
        const Scale& s = l_.level;
        const auto columns =
            static_cast<std::size_t>(std::max(1.0, std::ceil(l_.right() - l_.left())));
        eachPiece([&](const Piece& piece) {
            Counts counts;
            for (const Track& track : piece.span.tracks) {
                if (!session::KindOf(track.kind).band) {
                    continue;
                }
                const auto at = [&](double frame) {
                    return QPointF(x(frame), s.YOf(100 * piece.valueAt(track.from.amplitude,
                                                                       track.to.amplitude, frame)));
                };
                const QColor colour = KindColour(pal_, track.kind);
                const QPointF a = at(piece.a), z = at(piece.z);
                curveOf(tops, colour, fading(track), &s, counts.Next(track), l_).Add(a, z);
                auto run = open.find(track.id);
                if (column(piece.a) == column(piece.z)) {
                    if (run != open.end()) {
                        done.push_back(std::move(run->second));
                        open.erase(run);
                    }
                    auto fill = std::find_if(filled.begin(), filled.end(),
                                             [&](const auto& f) { return f.first == colour; });
                    if (fill == filled.end()) {
                        fill = filled.insert(filled.end(),
                                             {colour, std::vector<double>(columns, s.YOf(0))});
                    }
                    const auto c = static_cast<std::size_t>(
                        std::clamp(column(piece.a), 0, static_cast<int>(columns) - 1));
                    fill->second[c] = std::min({fill->second[c], a.y(), z.y()});
                    continue;
                }
                if (run != open.end() && run->second.top.back().x() != a.x()) {
                    done.push_back(std::move(run->second));  // a gap: it stopped and began again
                    open.erase(run);
                    run = open.end();
                }
                if (run == open.end()) {
                    run = open.emplace(track.id, Run{colour, {a}}).first;
                }
                run->second.top << z;
            }
        });
        for (auto& [id, run] : open) {
            done.push_back(std::move(run));
        }
        for (auto& [colour, tops] : filled) {
            for (std::size_t c = 0; c < columns;) {
                if (tops[c] >= s.YOf(0)) {
                    ++c;
                    continue;
                }
                Run run{colour, {}};
                for (; c < columns && tops[c] < s.YOf(0); ++c) {
                    const double left = l_.left() + static_cast<double>(c);
                    run.top << QPointF(left, tops[c]) << QPointF(left + 1, tops[c]);
                }
                done.push_back(std::move(run));
            }
        }
        // Without antialiasing: the top lines, drawn with it, give the bands their edges.
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(Qt::NoPen);
        for (Run& run : done) {
            QColor fill = run.colour;
            fill.setAlpha(70);
            p_.setBrush(fill);
            run.top << QPointF(run.top.back().x(), s.YOf(0))
                    << QPointF(run.top.front().x(), s.YOf(0));
            p_.drawPolygon(run.top);
        }
        p_.setBrush(Qt::NoBrush);
        p_.setRenderHint(QPainter::Antialiasing, true);
        for (ColumnCurve& c : tops) {
            c.Draw(p_, lineWidth());
        }
    }

    // A bell is a mark at its strike: a diamond at its pitch, and its level at the strike.
    // Bells struck within one pixel column at the same pitch and level share one mark.
    void bells() {
        std::set<int> seen;
        std::set<std::tuple<int, long, long>> marked;
        const double r = std::max(3.0, l_.fontPixels / 2.5);
        double lastLine = -r;
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
                if (at - lastLine >= r) {  // closer, the lines would only shade the panels
                    lastLine = at;
                    p_.setPen(QPen(colour, 1, Qt::DotLine));
                    p_.drawLine(QPointF(at, l_.rhythm.area.top()),
                                QPointF(at, l_.level.area.bottom()));
                }
                const double pitchY =
                    info.pitch != nullptr ? l_.carrier.YOf(track.from.*info.pitch) : 0.0;
                const double levelY = l_.level.YOf(100 * track.from.amplitude);
                if (!marked.emplace(column(strike), std::lround(pitchY), std::lround(levelY))
                         .second) {
                    continue;
                }
                p_.setPen(QPen(pal_.background, 1));
                p_.setBrush(colour);
                if (info.pitch != nullptr) {
                    const double y = pitchY;
                    p_.drawPolygon(QPolygonF({QPointF(at, y - r), QPointF(at + r, y),
                                              QPointF(at, y + r), QPointF(at - r, y)}));
                }
                p_.drawEllipse(QPointF(at, levelY), r * 0.8, r * 0.8);
                p_.setBrush(Qt::NoBrush);
            }
        });
    }

    QPainter& p_;
    const Layout& l_;
    const session::Timeline& t_;
    const Palette& pal_;
    double f0_;  // the frames in view
    double f1_;
};

}  // namespace

void DrawVoices(QPainter& painter, const Layout& layout, const session::Timeline& timeline,
                const Palette& palette) {
    Voices(painter, layout, timeline, palette).Draw();
}

}  // namespace plot
