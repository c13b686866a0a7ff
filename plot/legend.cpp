// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/legend.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <set>
#include <utility>
#include <vector>

#include "session/clock.h"
#include "session/voice_kind.h"

namespace plot {

void DrawTitle(QPainter& painter, const Layout& layout, const session::Session& session,
               const session::Timeline& timeline, const Palette& palette) {
    const double f = layout.fontPixels;
    const QFontMetricsF metrics(painter.font());
    QString text = QFileInfo(QString::fromStdString(session.source)).fileName();
    text += timeline.end == session::kEndless
                ? QStringLiteral(" — plays on without end")
                : QStringLiteral(" — ") +
                      QString::fromStdString(session::FormatFrames(timeline.end, timeline.rate,
                                                                   session::ClockStyle::Running));
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.setPen(palette.text);
    const double titleRight = layout.title.left() + QFontMetricsF(bold).horizontalAdvance(text);
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.restore();

    std::vector<std::pair<QColor, QString>> keys;
    std::set<session::VoiceKind> present;
    for (const session::Span& span : timeline.spans) {
        for (const session::Track& track : span.tracks) {
            present.insert(track.kind);
        }
    }
    for (const session::VoiceKindInfo* info : session::VoiceKinds()) {
        if (present.count(info->kind) != 0) {
            keys.emplace_back(KindColour(palette, info->kind), QString::fromUtf8(info->name));
        }
    }
    std::set<session::Change> changes;
    for (const session::Period& period : timeline.periods) {
        changes.insert(period.change);
    }
    const std::pair<session::Change, std::pair<QColor, QString>> shades[] = {
        {session::Change::Crossfade, {palette.crossfade, QStringLiteral("crossfade")}},
        {session::Change::Slide, {palette.slide, QStringLiteral("slide")}},
        {session::Change::Silence, {palette.silence, QStringLiteral("through silence")}},
    };
    for (const auto& [change, key] : shades) {
        if (changes.count(change) != 0) {
            keys.push_back(key);
        }
    }
    double right = layout.title.right();
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        const double width = metrics.horizontalAdvance(key->second);
        const double left = right - width - 1.6 * f;
        if (left < titleRight + 2 * f) {
            break;
        }
        const QRectF swatch(left, layout.title.center().y() - 0.4 * f, 1.1 * f, 0.8 * f);
        painter.fillRect(swatch, palette.panel);
        painter.fillRect(swatch, key->first);
        painter.setPen(palette.text);
        painter.drawText(
            QRectF(left + 1.5 * f, layout.title.top(), width + 0.1 * f, layout.title.height()),
            Qt::AlignLeft | Qt::AlignVCenter, key->second);
        right = left - 1.2 * f;
    }
}

}  // namespace plot
