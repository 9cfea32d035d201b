// The dialog's start-up: the controls preset from "DiskInfo.ini", the locks of
// FreezeUI, the refused notification registration, and the title rule.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui_rig.h"
#include "operation/status_texts.h"
#include "app/control_table.h"
#include "ui/status_widget.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void presetsTheControlsFromTheConfiguration_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<int>("storageIndex");
        QTest::addColumn<QString>("storageText");
        QTest::addColumn<int>("firmwareIndex");
        QTest::addColumn<QString>("firmwareText");
        QTest::addColumn<bool>("configureUserArea");
        QTest::newRow("no DiskInfo.ini") << QString() << 2 << "eMMC" << 1 << "2" << true;
        QTest::newRow("Media 3") << "[UI_SETTING]\nMedia=3\nConfigUserArea=0\n" << 3 << "SIF" << 1 << "2" << false;
        QTest::newRow("Media 7") << "[UI_SETTING]\nMedia=7\n" << -1 << "" << 1 << "2" << true;
        QTest::newRow("NumberOfFirmware 11: the empty entry")
            << "[UI_SETTING]\nNumberOfFirmware=11\n" << 2 << "eMMC" << 10 << "" << true;
        QTest::newRow("NumberOfFirmware 0") << "[UI_SETTING]\nNumberOfFirmware=0\n" << 2 << "eMMC" << -1 << "" << true;
        QTest::newRow("NumberOfFirmware 12") << "[UI_SETTING]\nNumberOfFirmware=12\n" << 2 << "eMMC" << -1 << ""
                                             << true;
    }
    void presetsTheControlsFromTheConfiguration() {
        QFETCH(QString, ini);
        QFETCH(int, storageIndex);
        test::GuiRig rig;
        if (!ini.isNull()) rig.workdir.write("DiskInfo.ini", ini.toStdString());
        QVERIFY(rig.startUp());
        auto& storage = static_cast<QComboBox&>(rig.control(control::StorageType));
        QCOMPARE(storage.currentIndex(), storageIndex);
        QTEST(storage.currentText(), "storageText");
        auto& firmware = static_cast<QComboBox&>(rig.control(control::FirmwareNumber));
        QTEST(firmware.currentIndex(), "firmwareIndex");
        QTEST(firmware.currentText(), "firmwareText");
        QTEST(static_cast<QCheckBox&>(rig.control(control::ConfigureUserAreaCheck)).isChecked(), "configureUserArea");
        QCOMPARE(rig.dialog.readView().readRegAddr, std::string("0x80008C00"));
        QCOMPARE(rig.dialog.readView().bootReadSize, std::string("1"));
    }

    void freezeUiLocksTheListsWhileTheRecorderUnlocksTheButtons() {
        test::GuiRig rig;
        rig.workdir.write("DiskInfo.ini", "[UI_SETTING]\nFreezeUI=1\n");
        QVERIFY(rig.startUp());
        for (int id : {control::StorageType, control::FirmwareNumber, control::ConfigureUserAreaCheck})
            QVERIFY2(!rig.control(id).isEnabled(), qPrintable(QString::number(id)));
        for (int id : {control::ConfigureUserAreaButton, control::ReadRegister, control::WriteRegister,
                       control::ReadBootArea, control::ReadUserArea, control::Start})
            QVERIFY2(rig.control(id).isEnabled(), qPrintable(QString::number(id)));
    }

    void completeStartUpShowsPresenceRestoresPathsAndNamesTheFolder() {
        test::GuiRig rig;
        rig.profile.values["QUBImageBurner/raw_path"] = "/data/raw.bin";
        QVERIFY(rig.startUp());
        QCOMPARE(rig.dialog.statusLine().state().text, std::string(text::kRecorderReady));
        QCOMPARE(static_cast<QLineEdit&>(rig.control(control::RawPath)).text(), QString("/data/raw.bin"));
        QCOMPARE(static_cast<QLineEdit&>(rig.control(control::BinPath)).text(), QString());
        QCOMPARE(rig.dialog.windowTitle(),
                 "VELTRAX VT-RD70 - " + QString::fromStdString(rig.workdir.path().filename().string()));
    }

    void refusedNotificationEndsTheStartUp() {
        test::GuiRig rig;
        rig.events.refuseAt = 2;
        rig.profile.values["QUBImageBurner/raw_path"] = "/data/raw.bin";
        QVERIFY(!rig.startUp());
        QCOMPARE(rig.answerer.texts, QStringList{"Can't register device notification"});
        QCOMPARE(rig.dialog.windowTitle(), QString("VELTRAX VT-RD70"));
        QVERIFY(rig.dialog.statusLine().state().text != std::string(text::kRecorderReady));
        QCOMPARE(static_cast<QLineEdit&>(rig.control(control::RawPath)).text(), QString());
        // Nothing painted: neither the bar of "Welcome" nor any other status.
        StatusWidget& status = rig.dialog.statusLine();
        const QImage shown = status.grab().toImage().copy(status.contentsRect());
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                QCOMPARE(shown.pixelColor(x, y), status.palette().window().color());
    }

    void startUpWarningsComeInAWarningBoxBesideThePresence_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("warning");
        QTest::newRow("UTF-8 byte-order mark")
            << QByteArray("\xEF\xBB\xBF[UI_SETTING]\r\nNumberOfFirmware=3\r\n")
            << " starts with a UTF-8 byte-order mark: section [UI_SETTING] is not read and its keys take their "
               "defaults. Save the file without the mark.";
        QTest::newRow("over 1 MiB") << "[UI_SETTING]\nMedia=3\n" + QByteArray(1024 * 1024, ';')
                                    << " is larger than 1 MiB and is not read: every setting takes its default.";
    }
    void startUpWarningsComeInAWarningBoxBesideThePresence() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, warning);
        test::GuiRig rig;
        rig.workdir.write("DiskInfo.ini", ini.toStdString());
        QVERIFY(rig.startUp());
        const QString iniPath = QString::fromStdString((rig.workdir / "DiskInfo.ini").string());
        QCOMPARE(rig.answerer.texts, QStringList{iniPath + warning});
        QCOMPARE(rig.answerer.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QVERIFY(rig.dialog.logText().contains("warning: " + iniPath + warning));
        QCOMPARE(rig.dialog.statusLine().state().text, std::string(text::kRecorderReady));
        QVERIFY(!rig.dialog.statusLine().stepMessage());
    }
};

static const test::RegisterUiTest<StartUpTest> registered;

#include "start_up_test.moc"
