// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace ui {
namespace {

int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

QFont DialogFont(const char* face, int pointSize) {
    const QString family = QString::fromUtf8(face);
    if (QFont::substitutes(family).isEmpty()) {
        QFont::insertSubstitution(family, QStringLiteral("IPAPGothic"));
    }
    QFont font(family, pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

BaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Average over the 52 letters, rounded to the nearest pixel.
    return BaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const BaseUnits& base, int x, int y, int w, int h) {
    return QRect(mulDiv(x, base.x, 4), mulDiv(y, base.y, 8), mulDiv(w, base.x, 4),
                 mulDiv(h, base.y, 8));
}

}  // namespace ui
