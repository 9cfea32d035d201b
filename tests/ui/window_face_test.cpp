// The window as a person meets it: real input events delivered to its window,
// so that Qt's own hit-testing and focus chain decide who receives them (a
// click at the centre of every control, keys with the service panel
// collapsed); a main window of its own; the banner filling its rectangle; the
// focus around a disabled start button; the about box's text in full; and
// what assistive technology reads.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/build_version.h"
#include "gui_rig.h"
#include "operation/status_texts.h"
#include "ui/about_dialog.h"
#include "app/control_table.h"
#include "ui/dialog_units.h"
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

// Types `keys` into the active window: 'T' Tab, 'B' Shift+Tab, any other character as it is.
void press(QWindow* window, const QString& keys) {
    for (const QChar key : keys) {
        if (key == u'T' || key == u'B')
            QTest::keyClick(window, key == u'T' ? Qt::Key_Tab : Qt::Key_Backtab,
                            key == u'T' ? Qt::NoModifier : Qt::ShiftModifier);
        else
            QTest::keyClick(window, key.toLatin1());
    }
}

}  // namespace

class WindowFaceTest : public QObject {
    Q_OBJECT

private slots:
    void aClickAtTheCentreReachesEveryEnabledControl() {
        MainDialog dialog;  // without a controller its reactions start nothing
        dialog.showServicePanel(true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        for (const ControlSpec& spec : mainDialogControls()) {
            QWidget* control = dialog.control(spec.id);
            if (!control || !control->isEnabled() || spec.kind == ControlKind::StatusLine) continue;
            const QString id = QString::number(spec.id);
            const QPoint centre = control->rect().center();
            QWidget* hit = QApplication::widgetAt(control->mapToGlobal(centre));
            QVERIFY2(hit == control || control->isAncestorOf(hit), qPrintable(id + " lies under another widget"));

            int clicks = 0;
            auto* button = qobject_cast<QAbstractButton*>(control);
            const auto counted = button ? connect(button, &QAbstractButton::clicked, [&] { ++clicks; })
                                        : QMetaObject::Connection();
            QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, control->mapTo(&dialog, centre));
            disconnect(counted);
            if (button)
                QVERIFY2(clicks == 1, qPrintable(id + " was not clicked"));
            else
                QVERIFY2(control->hasFocus(), qPrintable(id + " did not take the focus"));
        }
    }

    void keysNeverReachTheCollapsedServicePanel_data() {
        QTest::addColumn<bool>("recorder");
        QTest::addColumn<QString>("keys");
        QTest::newRow("Shift+Tab nine times, Space") << true << "BBBBBBBBB ";
        QTest::newRow("Tab, Space") << true << "T ";
        QTest::newRow("no recorder: Tab, typing") << false << "T77";
    }
    void keysNeverReachTheCollapsedServicePanel() {
        QFETCH(bool, recorder);
        QFETCH(QString, keys);
        test::GuiRig rig(sim::RecorderMode::Updater, recorder);
        QVERIFY(rig.startUp());
        const DialogValues before = rig.dialog.readView();
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
        press(rig.dialog.windowHandle(), keys);
        QVERIFY(!QApplication::focusWidget() || QApplication::focusWidget()->isVisible());
        // Only the start button may have been pressed; wait for its operation.
        QVERIFY(rig.waitFor([&] { return !rig.session->controller->busy(); }));
        QTest::qWait(20);
        const QString log = rig.dialog.logText();
        QVERIFY2(log.count(" finished: ") == log.count("full update finished: "), qPrintable(log));
        QVERIFY(rig.dialog.readView() == before);
    }

    void theDialogIsAMainWindowWithItsIcon() {
        MainDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowHandle()->type(), Qt::Window);
        QVERIFY(!dialog.windowHandle()->transientParent());
        QVERIFY(!dialog.windowIcon().isNull());
    }

    // Also at 150 % scaling: the picture covers its rectangle to the last
    // row and column of the screen's pixels (no pixel there is the dialog's face).
    void theBannerFillsItsRectangle() {
        MainDialog dialog;
        const ControlSpec& spec = mainDialogControls().front();
        QCOMPARE(spec.kind, ControlKind::Picture);
        QLabel* shown = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->pixmap().isNull()) shown = label;
        QVERIFY(shown);
        QCOMPARE(shown->geometry(), DialogUnits::forFont(dialog.font()).toPixels(spec.rect));
        const QImage drawn = shown->grab().toImage();
        QCOMPARE(drawn.size(), shown->size() * shown->devicePixelRatio());
        const QColor face = shown->palette().color(QPalette::Window);
        const auto isFace = [&](int x, int y) {
            const QColor c = drawn.pixelColor(x, y);
            return qAbs(c.red() - face.red()) + qAbs(c.green() - face.green()) + qAbs(c.blue() - face.blue()) < 48;
        };
        for (int x = 0; x < drawn.width(); ++x) QVERIFY2(!isFace(x, drawn.height() - 1), qPrintable(QString::number(x)));
        for (int y = 0; y < drawn.height(); ++y) QVERIFY2(!isFace(drawn.width() - 1, y), qPrintable(QString::number(y)));
    }

    // The start button disabled with the focus on it (the recorder pulled):
    // the focus moves on to the next control that takes keys, and returns
    // with the recorder, so that Space presses the start button again.
    void theFocusLeavesADisabledStartButtonAndReturns_data() {
        QTest::addColumn<bool>("servicePanel");
        QTest::addColumn<int>("whileDisabled");
        QTest::newRow("collapsed: the dialog itself") << false << kNoId;
        QTest::newRow("service panel: the first enabled edit") << true << control::ReadRegisterAddress;
    }
    void theFocusLeavesADisabledStartButtonAndReturns() {
        QFETCH(bool, servicePanel);
        QFETCH(int, whileDisabled);
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.dialog.showServicePanel(servicePanel);
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
        QWidget& start = rig.control(control::Start);
        QCOMPARE(QApplication::focusWidget(), &start);
        rig.fireFromAnotherThread(kDeviceRemoveComplete);
        QVERIFY(rig.waitFor([&] { return !start.isEnabled(); }));
        QWidget* resting = whileDisabled == kNoId ? &rig.dialog : &rig.control(whileDisabled);
        QCOMPARE(QApplication::focusWidget(), resting);
        rig.fireFromAnotherThread(kDeviceArrival);
        QVERIFY(rig.waitFor([&] { return start.isEnabled(); }));
        QCOMPARE(QApplication::focusWidget(), &start);
        QTest::keyClick(rig.dialog.windowHandle(), Qt::Key_Space);
        QVERIFY(rig.waitFor([&] { return rig.dialog.logText().contains("full update finished: "); }));
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
        QVERIFY(text->text().endsWith(QStringLiteral("\nVersion ") + QString::fromUtf8(app::kVersionText.data())));
    }

    void assistiveTechnologyReadsNamesAndTheStatus() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        // Every edit and combo box and the two "Browse..." buttons: named, and told apart by name and description.
        QSet<QString> told;
        int named = 0;
        for (const ControlSpec& spec : mainDialogControls()) {
            const bool browse = spec.id == control::BrowseRawFile || spec.id == control::BrowseBinFile;
            if (!browse && spec.kind != ControlKind::Edit && spec.kind != ControlKind::NumberEdit &&
                spec.kind != ControlKind::ComboBox)
                continue;
            const QString name = accessibleText(rig.control(spec.id), QAccessible::Name);
            QVERIFY2(!name.isEmpty() && name != "Browse...", qPrintable(QString::number(spec.id)));
            told << name + '/' + accessibleText(rig.control(spec.id), QAccessible::Description);
            ++named;
        }
        QCOMPARE(told.size(), named);
        QCOMPARE(accessibleText(rig.control(control::BrowseBinFile), QAccessible::Name),
                 QString("Browse for SD image file"));

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
