// A full update clicked through the dialog against the simulated recorder,
// its status reported from the worker through the port, in order.
#include <QPushButton>
#include <QTest>

#include "gui_rig.h"
#include "operation/status_texts.h"
#include "support/sim_rig.h"
#include "app/control_table.h"
#include "ui/status_widget.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

class FullUpdateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void clickedUpdateEndsWithTheFinalStatus() {
        test::GuiRig rig(sim::RecorderMode::BootRom);
        rig.workdir.write("updater.bin", test::patternBytes(3000, 9));
        rig.workdir.write("a.bin", test::patternBytes(1000, 1));
        rig.workdir.write("b.bin", test::patternBytes(513, 2));
        rig.workdir.write("DiskInfo.ini",
                          "[UI_SETTING]\nMedia=2\nNumberOfFirmware=2\nConfigUserArea=0\n"
                          "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n");
        QVERIFY(rig.startUp());
        QTest::mouseClick(&rig.control(control::Start), Qt::LeftButton);
        QVERIFY(rig.waitFor([&] { return rig.dialog.logText().contains("full update finished"); }));

        QVERIFY2(rig.dialog.logText().contains("full update finished: success"), qPrintable(rig.dialog.logText()));
        QCOMPARE(rig.dialog.statusLine().stepMessage().value_or(QString()), QString("Burn-in Boot process done ....."));
        const QString log = rig.dialog.logText();
        QVERIFY(log.indexOf(QString::fromUtf8(text::kDownloadAgent)) < log.indexOf("Burn-in Boot process done"));
        QVERIFY(rig.answerer.texts.isEmpty());
        QVERIFY(rig.control(control::Start).isEnabled());
    }
};

static const test::RegisterUiTest<FullUpdateDialogTest> registered;

#include "full_update_dialog_test.moc"
