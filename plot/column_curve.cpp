// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/column_curve.h"

#include <algorithm>
#include <cmath>

namespace plot {
namespace {

constexpr double kNone = 1e300;  // a column no narrow piece fell in: least above greatest

}  // namespace

ColumnCurve::ColumnCurve(QColor colour, bool dashed, const Scale* scale, int nth,
                         const Layout& layout)
    : colour_(colour),
      dashed_(dashed),
      scale_(scale),
      nth_(nth),
      left_(layout.left()),
      columns_(static_cast<std::size_t>(std::max(1.0, std::ceil(layout.right() - left_))),
               {kNone, -kNone}) {}

void ColumnCurve::Add(QPointF a, QPointF z) {
    const double column = std::floor(a.x() - left_);
    if (column != std::floor(z.x() - left_)) {
        lines_.emplace_back(a, z);
        return;
    }
    const auto c =
        static_cast<std::size_t>(std::clamp(column, 0.0, static_cast<double>(columns_.size() - 1)));
    columns_[c].first = std::min({columns_[c].first, a.y(), z.y()});
    columns_[c].second = std::max({columns_[c].second, a.y(), z.y()});
}

void ColumnCurve::Draw(QPainter& painter, double width) const {
    QPen pen(colour_, width, dashed_ ? Qt::DashLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    std::vector<QLineF> bars;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].first <= columns_[c].second) {
            const double x = left_ + static_cast<double>(c) + 0.5;
            bars.emplace_back(x, columns_[c].first, x, columns_[c].second);
        }
    }
    // Solid, as a dash would not read within a column; square ends, so that a column that
    // holds one value is a dot as thick as the line.
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLines(bars.data(), static_cast<int>(bars.size()));
}

}  // namespace plot
