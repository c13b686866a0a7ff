// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/voice_marks.h"

#include <QPainterPath>
#include <algorithm>
#include <map>
#include <set>
#include <vector>

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

// Lines of one colour and style, drawn in one call.
struct LineGroup {
    QColor colour;
    bool dashed = false;
    std::vector<QLineF> lines;
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

    // Noise and the mix fill their level down to 0: one polygon for each stretch a track
    // plays unbroken, its top through every span's two ends in view. One polygon is one pass
    // over the rows; a quad a span, in a day of short periods, took most of a second.
    void bands() {
        struct Run {
            QColor colour;
            QPolygonF top;
        };
        std::map<int, Run> open;  // by track id
        std::vector<Run> done;
        std::vector<LineGroup> tops;
        const Scale& s = l_.level;
        eachPiece([&](const Piece& piece) {
            for (const Track& track : piece.span.tracks) {
                if (!session::KindOf(track.kind).band) {
                    continue;
                }
                const auto at = [&](double frame) {
                    return QPointF(x(frame), s.YOf(100 * piece.valueAt(track.from.amplitude,
                                                                       track.to.amplitude, frame)));
                };
                const QColor colour = KindColour(pal_, track.kind);
                auto run = open.find(track.id);
                if (run != open.end() && run->second.top.back().x() != x(piece.a)) {
                    done.push_back(std::move(run->second));  // a gap: it stopped and began again
                    open.erase(run);
                    run = open.end();
                }
                if (run == open.end()) {
                    run = open.emplace(track.id, Run{colour, {at(piece.a)}}).first;
                }
                run->second.top << at(piece.z);
                addLine(tops, colour, fading(track), QLineF(at(piece.a), at(piece.z)));
            }
        });
        for (auto& [id, run] : open) {
            done.push_back(std::move(run));
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
        drawGroups(tops, std::max(1.5, l_.fontPixels / 6));
    }

    // A bell is a mark at its strike: a diamond at its pitch, and its level at the strike.
    void bells() {
        std::set<int> seen;
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
