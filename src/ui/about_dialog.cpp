#include "ui/about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "ui/control_table.h"
#include "ui/pictures.h"

namespace ib::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    const DialogUnits units = DialogUnits::forFont(font());
    setFixedSize(units.toPixels(kAboutClientArea).size());

    auto* icon = new QLabel(this);
    icon->setPixmap(picture(Picture::Icon));
    icon->setScaledContents(true);
    icon->setGeometry(units.toPixels(kAboutIconRect));
    auto* text = new QLabel(QStringLiteral("ImageBurner, the VT-RD70 firmware updater tool"), this);
    QRect textRect = units.toPixels(kAboutTextRect);
    textRect.setHeight(qMax(textRect.height(), text->sizeHint().height()));
    text->setGeometry(textRect);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.toPixels(kAboutOkRect));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ib::ui
