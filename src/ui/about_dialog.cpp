#include "ui/about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/build_version.h"
#include "app/control_table.h"
#include "ui/dialog_units.h"
#include "ui/pictures.h"

namespace ib::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    const DialogUnits units = DialogUnits::forFont(font());

    auto* icon = new QLabel(this);
    icon->setPixmap(picture(Picture::Icon));
    icon->setScaledContents(true);
    icon->setGeometry(units.toPixels(kAboutIconRect));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.toPixels(kAboutOkRect));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // The text wraps in the room left of "OK", as many lines as it needs; the
    // box grows when they do not fit.
    const QString version = QString::fromUtf8(app::kVersionText.data(), app::kVersionText.size());
    auto* text = new QLabel(QStringLiteral("ImageBurner, the VT-RD70 firmware updater tool\nVersion %1").arg(version), this);
    text->setWordWrap(true);
    QRect textRect = units.toPixels(kAboutTextRect);
    textRect.setRight(ok->geometry().left() - units.x(kAboutTextGap));
    textRect.setHeight(text->heightForWidth(textRect.width()));
    text->setGeometry(textRect);
    const QSize client = units.toPixels(kAboutClientArea).size();
    setFixedSize(client.width(), qMax(client.height(), textRect.bottom() + 1 + units.y(kAboutTextGap)));
}

}  // namespace ib::ui
