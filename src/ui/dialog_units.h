// Dialog units: the layout's coordinates, scaled by the dialog font so that
// the proportions hold whatever font the desktop offers. The horizontal base
// is the average width of the 52 letters a-z A-Z, the vertical base the
// font's height; x pixels = x * hbase / 4 and y pixels = y * vbase / 8, each
// rounded to the nearest pixel.
#pragma once

#include <QFont>
#include <QRect>

#include "app/control_table.h"

namespace ib::ui {

class DialogUnits {
public:
    DialogUnits(int horizontalBase, int verticalBase) : m_hbase(horizontalBase), m_vbase(verticalBase) {}
    static DialogUnits forFont(const QFont& font);

    int x(int units) const;
    int y(int units) const;
    QRect toPixels(const DialogRect& rect) const;
    int horizontalBase() const { return m_hbase; }
    int verticalBase() const { return m_vbase; }

private:
    int m_hbase;
    int m_vbase;
};

// The dialog font: 8-point sans serif.
QFont dialogFont();

}  // namespace ib::ui
