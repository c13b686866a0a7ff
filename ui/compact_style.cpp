// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/compact_style.h"

#include <QApplication>
#include <QProxyStyle>

namespace ui {
namespace {

class CompactStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight:
                return 13;
            case PM_RadioButtonLabelSpacing:
                return 3;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

}  // namespace

QStyle* CompactIndicatorStyle() {
    static QStyle* style = [] {
        auto* s = new CompactStyle(QStringLiteral("Fusion"));
        s->setParent(qApp);  // released with the application
        return s;
    }();
    return style;
}

}  // namespace ui
