#include "ui/dialog_units.h"

#include <QFontMetrics>

namespace ib::ui {
namespace {

// value * numerator / denominator, rounded to the nearest integer.
int scaled(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DialogUnits DialogUnits::forFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::x(int units) const { return scaled(units, m_hbase, 4); }

int DialogUnits::y(int units) const { return scaled(units, m_vbase, 8); }

QRect DialogUnits::toPixels(const DialogRect& rect) const {
    return QRect(x(rect.x), y(rect.y), x(rect.width), y(rect.height));
}

QFont dialogFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

}  // namespace ib::ui
