// The dialog under real input events, delivered to its window so that Qt's
// own hit-testing and focus chain decide who receives them: a click at the
// centre of every control, and the keyboard with the service panel collapsed.
#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "gui_rig.h"
#include "ui/control_table.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

namespace {

// Clicks or types `keys` into the active window: 'T' Tab, 'B' Shift+Tab,
// ' ' Space, any other character typed as it is.
void press(QWindow* window, const QString& keys) {
    for (const QChar key : keys) {
        if (key == u'T')
            QTest::keyClick(window, Qt::Key_Tab);
        else if (key == u'B')
            QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(window, key.toLatin1());
    }
}

}  // namespace

class RealInputTest : public QObject {
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

    void theShownServicePanelTakesPartInTheTabOrder() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.dialog.showServicePanel(true);
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
        press(rig.dialog.windowHandle(), "T");
        QCOMPARE(QApplication::focusWidget(), &rig.control(control::ReadRegister));
    }
};

static const test::RegisterUiTest<RealInputTest> registered;

#include "real_input_test.moc"
