// How the window presents itself: a main window of its own, the banner at its
// own size, the about box's text in full, and what assistive technology reads.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "gui_rig.h"
#include "operation/status_texts.h"
#include "ui/about_dialog.h"
#include "ui/control_table.h"
#include "ui/pictures.h"
#include "ui/status_widget.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

namespace {

// What assistive technology reads of a control (of a combo box, its edit).
QString accessibleText(QWidget& control, QAccessible::Text which) {
    auto* box = qobject_cast<QComboBox*>(&control);
    QWidget* read = box ? box->lineEdit() : &control;
    return QAccessible::queryAccessibleInterface(read)->text(which);
}

}  // namespace

class WindowFaceTest : public QObject {
    Q_OBJECT

private slots:
    void theDialogIsAMainWindowWithItsIcon() {
        MainDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowHandle()->type(), Qt::Window);
        QVERIFY(!dialog.windowHandle()->transientParent());
        QVERIFY(!dialog.windowIcon().isNull());
    }

    void theBannerIsDrawnAtItsOwnSizeAtTheTopLeft() {
        MainDialog dialog;
        const ControlSpec& spec = mainDialogControls().front();
        QCOMPARE(spec.kind, ControlKind::Picture);
        const QImage banner = picture(Picture::Banner).toImage();
        QLabel* shown = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->pixmap().isNull()) shown = label;
        QVERIFY(shown);
        QCOMPARE(shown->pos(), DialogUnits::forFont(dialog.font()).toPixels(spec.rect).topLeft());
        QCOMPARE(shown->grab().toImage().convertToFormat(banner.format()), banner);
    }

    void theAboutTextIsShownWholeBesideOk() {
        CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QLabel* text = nullptr;
        for (QLabel* label : about.findChildren<QLabel*>())
            if (!label->text().isEmpty()) text = label;
        QVERIFY(text);
        const QRect ok = about.findChild<QPushButton*>()->geometry();
        QVERIFY(!text->geometry().intersects(ok));
        QVERIFY(text->height() >= text->heightForWidth(text->width()));
        QVERIFY(about.rect().contains(text->geometry()));
    }

    void assistiveTechnologyReadsNamesAndTheStatus() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        const std::pair<int, const char*> names[] = {
            {control::ReadRegisterAddress, "Register address"}, {control::ReadRegisterValue, "Register value"},
            {control::WriteRegisterAddress, "Register address"}, {control::WriteRegisterValue, "Register value"},
            {control::BootSize, "Boot size"},                    {control::BootReadAddress, "Read address"},
            {control::BootReadSize, "Read size"},                {control::UserReadAddress, "Read address"},
            {control::UserReadSize, "Read size"},                {control::RawPath, "Raw image file"},
            {control::BinPath, "SD image file"},                 {control::StorageType, "Storage type"},
            {control::FirmwareNumber, "Firmware number"},        {control::BrowseRawFile, "Browse for raw image"},
            {control::BrowseBinFile, "Browse for SD image file"},
        };
        QSet<QString> told;  // edits of the same name are told apart by their description
        for (const auto& [id, name] : names) {
            QCOMPARE(accessibleText(rig.control(id), QAccessible::Name), QString(name));
            told << QString(name) + '/' + accessibleText(rig.control(id), QAccessible::Description);
        }
        QCOMPARE(told.size(), qsizetype(std::size(names)));

        StatusWidget& status = rig.dialog.statusLine();
        QCOMPARE(accessibleText(status, QAccessible::Name), QString::fromUtf8(text::kRecorderReady));
        rig.session->controller->setProgress(text::kDownloadAgent, 40, kBlue, kBlack);
        QCOMPARE(accessibleText(status, QAccessible::Name), QString::fromUtf8(text::kDownloadAgent));
        QCOMPARE(accessibleText(status, QAccessible::Value), QString("40 %"));
        QCOMPARE(QAccessible::queryAccessibleInterface(&status)->valueInterface()->currentValue().toInt(), 40);
    }
};

static const test::RegisterUiTest<WindowFaceTest> registered;

#include "window_face_test.moc"
