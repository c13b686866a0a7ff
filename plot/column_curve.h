// SPDX-License-Identifier: GPL-3.0-or-later
// One line of the timeline picture across the spans: the nth voice of a kind on a panel (its
// beat, carrier or level), or the top of a band. A piece narrower than a pixel column,
// which spans are past about 1600 of them in view, is not drawn on its own: its two ends
// widen its column's least and greatest y, and the column is drawn as one upright line
// between them. So a day of short periods costs lines by the width, not by the spans, and
// the line still passes through every value the voice takes in each column.
#pragma once

#include <QColor>
#include <QLineF>
#include <QPainter>
#include <utility>
#include <vector>

#include "plot/layout.h"

namespace plot {

class ColumnCurve {
  public:
    ColumnCurve(QColor colour, bool dashed, const Scale* scale, int nth, const Layout& layout);

    bool Is(QColor colour, bool dashed, const Scale* scale, int nth) const {
        return nth_ == nth && scale_ == scale && dashed_ == dashed && colour_ == colour;
    }
    // The piece of the line from `a` to `z`, left to right.
    void Add(QPointF a, QPointF z);
    void Draw(QPainter& painter, double width) const;

  private:
    QColor colour_;
    bool dashed_;
    const Scale* scale_;
    int nth_;
    double left_;
    std::vector<QLineF> lines_;                       // pieces wider than a column
    std::vector<std::pair<double, double>> columns_;  // least and greatest y of the others
};

}  // namespace plot
