// The dialog's reactions: the boot-size controls, Enter, hot-plug delivered on
// the user-interface thread, the about box, the service panel and its log,
// and closing while an operation runs.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>
#include <optional>

#include "gui_rig.h"
#include "operation/status_texts.h"
#include "support/sim_rig.h"
#include "ui/about_dialog.h"
#include "app/control_table.h"
#include "ui/status_widget.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

class DialogReactionsTest : public QObject {
    Q_OBJECT

private slots:
    void bootSizeControlsFollowConfigureBootArea() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        auto& configure = static_cast<QCheckBox&>(rig.control(control::ConfigureBootArea));
        auto& changeSize = static_cast<QCheckBox&>(rig.control(control::ChangeBootSize));
        QVERIFY(!changeSize.isEnabled());
        configure.click();
        for (int id : {control::ChangeBootSize, control::BootSize, control::BootSizeUnit}) QVERIFY(rig.control(id).isEnabled());
        changeSize.click();
        configure.click();
        QVERIFY(!changeSize.isChecked());
        QCOMPARE(rig.session->controller->m_changeBootSize, 0);
        for (int id : {control::ChangeBootSize, control::BootSize, control::BootSizeUnit}) QVERIFY(!rig.control(id).isEnabled());
    }

    void enterStartsTheFullUpdateUnlessAButtonHasTheFocus_data() {
        QTest::addColumn<int>("focused");
        QTest::addColumn<QString>("finished");
        QTest::newRow("edit") << control::BootReadAddress << "full update finished";
        QTest::newRow("combo box") << control::FirmwareNumber << "full update finished";
        QTest::newRow("check box") << control::ConfigureUserAreaCheck << "full update finished";
        QTest::newRow("push button") << control::SyncDevice << "sync finished";
    }
    void enterStartsTheFullUpdateUnlessAButtonHasTheFocus() {
        QFETCH(int, focused);
        QFETCH(QString, finished);
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.dialog.showServicePanel(true);
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
        rig.control(focused).setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(rig.waitFor([&] { return rig.dialog.logText().contains("finished:"); }));
        QVERIFY2(rig.dialog.logText().contains(finished), qPrintable(rig.dialog.logText()));
    }

    void browseRemembersTheChosenPathAndKeepsTheOtherFields_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("title");
        QTest::newRow("raw file") << control::BrowseRawFile << control::RawPath << "raw_path" << "Open RAW File";
        QTest::newRow("bin file") << control::BrowseBinFile << control::BinPath << "bin_path" << "Save Bin File";
    }
    void browseRemembersTheChosenPathAndKeepsTheOtherFields() {
        QFETCH(int, button);
        QFETCH(int, edit);
        QFETCH(QString, key);
        QFETCH(QString, title);
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        static_cast<QLineEdit&>(rig.control(control::BootReadAddress)).setText("77");
        const QString path = QString::fromStdString((rig.tmpdir / "image.bin").string());
        rig.answerer.pick = path;
        static_cast<QPushButton&>(rig.control(button)).click();
        QCOMPARE(rig.answerer.texts, QStringList{"chooser: " + title});
        QCOMPARE(static_cast<QLineEdit&>(rig.control(edit)).text(), path);
        QCOMPARE(QString::fromStdString(rig.profile.values["QUBImageBurner/" + key.toStdString()]), path);
        QCOMPARE(static_cast<QLineEdit&>(rig.control(control::BootReadAddress)).text(), QString("77"));
    }

    void hotPlugArrivesOnTheWindowsThread() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        auto& start = rig.control(control::Start);
        const auto statusText = [&] { return rig.dialog.statusLine().state().text; };

        rig.fireFromAnotherThread(kDeviceRemoveComplete);
        QVERIFY(start.isEnabled());  // not handled yet: it waits for the window's thread
        QVERIFY(rig.waitFor([&] { return !start.isEnabled(); }));
        QCOMPARE(statusText(), std::string(text::kRecorderNotFound));

        rig.fireFromAnotherThread(kDeviceArrival);
        QVERIFY(rig.waitFor([&] { return start.isEnabled(); }));
        QCOMPARE(statusText(), std::string(text::kRecorderReady));

        // After a full update the next removal keeps its final status.
        rig.session->controller->m_keepStatusOnRemoval = 1;
        rig.session->controller->setProgress(text::kProcessSucceeded, 100, kGreen, kBlack);
        rig.fireFromAnotherThread(kDeviceRemoveComplete);
        QVERIFY(rig.waitFor([&] { return !start.isEnabled(); }));
        QCOMPARE(statusText(), std::string(text::kProcessSucceeded));
        QCOMPARE(rig.session->controller->m_keepStatusOnRemoval.load(), 0);
    }

    // From the boot ROM the recorder leaves and returns while the updater
    // starts, with device events off; those events, and an arrival while the
    // burn runs, are handled after the worker has switched events back on.
    void deviceEventsDuringAFullUpdateLeaveButtonsAndStatusAlone() {
        test::GuiRig rig(sim::RecorderMode::BootRom);
        rig.workdir.write("updater.bin", test::patternBytes(3000, 9));
        rig.workdir.write("a.bin", test::patternBytes(1000, 1));
        rig.workdir.write("DiskInfo.ini", "[UI_SETTING]\nMedia=3\nNumberOfFirmware=2\nConfigUserArea=0\n"
                                          "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=a.bin\n");
        std::mutex heldMutex;
        std::vector<std::function<void()>> held;
        rig.deliverDeviceEvent = [&](std::function<void()> handle) {
            std::lock_guard lock(heldMutex);
            held.push_back(std::move(handle));
        };
        bool leftAndReturned = false;
        std::optional<std::pair<bool, std::string>> seenDuringBurn;  // the start button's state, the status text
        rig.clock.onSleep = [&] {  // on the worker's thread
            if (rig.session->controller->m_deviceEventsEnabled == 0 && !leftAndReturned) {
                leftAndReturned = true;
                rig.fireFromAnotherThread(kDeviceRemoveComplete);
                rig.fireFromAnotherThread(kDeviceArrival);
            } else if (leftAndReturned && rig.session->controller->m_deviceEventsEnabled == 1 && !seenDuringBurn) {
                rig.fireFromAnotherThread(kDeviceArrival);
                QMetaObject::invokeMethod(&rig.dialog, [&] {
                    std::lock_guard lock(heldMutex);
                    for (const auto& handle : held) handle();
                    // The status as reported: a worker's latest report may not be painted yet.
                    seenDuringBurn = {rig.control(control::Start).isEnabled(),
                                      rig.session->controller->statusState().text};
                }, Qt::BlockingQueuedConnection);
            }
        };
        QVERIFY(rig.startUp());
        QTest::mouseClick(&rig.control(control::Start), Qt::LeftButton);
        QVERIFY(rig.waitFor([&] { return rig.dialog.logText().contains("full update finished"); }));
        QVERIFY(seenDuringBurn.has_value());
        QCOMPARE(held.size(), std::size_t{3});
        QVERIFY(!seenDuringBurn->first);
        QVERIFY(seenDuringBurn->second != std::string(text::kRecorderReady));
        QVERIFY2(rig.dialog.logText().contains("full update finished: success"), qPrintable(rig.dialog.logText()));
    }

    void aboutBoxAndServicePanelOpenFromTheKeyboard() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));
        bool aboutShown = false;
        QTimer::singleShot(50, [&] {
            auto* about = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget());
            aboutShown = about && about->windowTitle() == "About";
            if (about) QTest::keyClick(about, Qt::Key_Escape);
        });
        QTest::keyClick(&rig.dialog, Qt::Key_F1);
        QVERIFY(aboutShown);
        rig.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.dialog));

        const int height = rig.dialog.height();
        QVERIFY(!rig.control(control::ReadRegister).isVisible() || rig.control(control::ReadRegister).y() >= height);
        QTest::keyClick(&rig.dialog, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(rig.dialog.servicePanelShown());
        QVERIFY(rig.dialog.height() > rig.control(control::CreateSdImage).geometry().bottom());

        const QString path = QString::fromStdString((rig.tmpdir / "service.log").string());
        QVERIFY(rig.dialog.saveLog(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(saved.readAll()).contains(QString("status: ") + QString::fromUtf8(text::kRecorderReady)));
    }

    void closingWhileAnOperationRunsWaitsForItsEnd() {
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.dialog.show();
        rig.answerer.holdChoosers = true;  // the full update's worker waits in a chooser
        bool openAfterTheQuestion = false;
        QTimer::singleShot(100, [&] {
            rig.dialog.reject();  // the close box
            openAfterTheQuestion = rig.dialog.isVisible();
            rig.answerer.holdChoosers = false;
        });
        QTest::mouseClick(&rig.control(control::Start), Qt::LeftButton);
        QVERIFY(rig.waitFor([&] { return !rig.dialog.isVisible(); }));
        QVERIFY(openAfterTheQuestion);
        QVERIFY(rig.answerer.texts.contains("An operation is running. Close when it has finished?"));
        QVERIFY(rig.dialog.logText().contains("full update finished"));
        QVERIFY(!rig.session->controller->busy());
    }
};

static const test::RegisterUiTest<DialogReactionsTest> registered;

#include "dialog_reactions_test.moc"
