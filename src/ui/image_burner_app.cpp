#include "ui/image_burner_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QSessionManager>
#include <QSocketNotifier>
#include <iostream>
#include <memory>

#include "app/application_session.h"
#include "app/build_version.h"
#include "platform/stop_signals.h"
#include "seams/utf8_path.h"
#include "ui/folder_chooser.h"
#include "ui/main_dialog.h"
#include "ui/pictures.h"
#include "ui/qt_port.h"

namespace ib::ui {
namespace {

// A quit request to the application ends the dialog the way the end of the
// session does: a running operation stops at its next command first.
class SessionEndFilter final : public QObject {
public:
    explicit SessionEndFilter(MainDialog& dialog) : m_dialog(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit) return false;
        m_dialog.endSessionNow();
        return true;
    }

private:
    MainDialog& m_dialog;
};

}  // namespace

int CImageBurnerApp::run(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(picture(Picture::Icon)));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Firmware updater for car video recorders"));
    parser.addHelpOption();
    QApplication::setApplicationVersion(QString::fromUtf8(app::kVersionText.data(), app::kVersionText.size()));
    parser.addVersionOption();
    const QCommandLineOption sim(QStringLiteral("sim"), QStringLiteral("Talk to the simulated recorder in <dir>."),
                                 QStringLiteral("dir"));
    const QCommandLineOption workdir(QStringLiteral("workdir"),
                                     QStringLiteral("Working folder with DiskInfo.ini (default: the current one when it holds "
                                                    "DiskInfo.ini, else the one chosen last)."),
                                     QStringLiteral("dir"), QStringLiteral("."));
    const QCommandLineOption logFile(QStringLiteral("log"), QStringLiteral("Also write the service log to <file>."),
                                     QStringLiteral("file"));
    parser.addOption(sim);
    parser.addOption(workdir);
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Record every exchange with the recorder to <file> (see the README)."),
                                    QStringLiteral("file"));
    parser.addOption(logFile);
    parser.addOption(record);
    parser.process(application);

    MainDialog dialog;
    if (parser.isSet(logFile) && !dialog.copyLogTo(parser.value(logFile)))
        std::cerr << "Cannot write the log to " << parser.value(logFile).toStdString() << '\n';
    QtPort port(dialog, dialog);
    app::SessionOptions options;
    options.workingDirectory = pathFromUtf8(parser.value(workdir).toStdString());
    if (!parser.isSet(workdir))
        options.askWorkingFolder = [] {
            std::error_code noFolder;  // the current folder may have gone
            return chooseFolder(nullptr, std::filesystem::current_path(noFolder));
        };
    options.stop = dialog.stopRequest();
    if (parser.isSet(sim)) options.simulatorFolders.push_back(parser.value(sim).toStdString());
    options.recordFile = parser.value(record).toStdString();
    options.overrides.deliverDeviceEvent = [&dialog](std::function<void()> handle) {
        QMetaObject::invokeMethod(&dialog, std::move(handle), Qt::QueuedConnection);
    };
    std::string error;
    auto session = app::ApplicationSession::open(port, options, error);
    if (!session) {
        std::cerr << error << '\n';
        QMessageBox::critical(nullptr, QStringLiteral("Error Message"), QString::fromStdString(error));
        return 1;
    }
    dialog.startUp(*session->controller);
    // The session manager's question whether the session may end, and its
    // end all the same (its "die" is a quit event to the application).
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &dialog,
                     [&dialog](QSessionManager& manager) { dialog.commitData(manager); });
    SessionEndFilter sessionEnd(dialog);
    application.installEventFilter(&sessionEnd);
    // A termination signal is a close request, as the close button makes one
    // (a running operation is asked about first); a second ends the program.
    const platform::StopSignals stopSignals = platform::installStopSignals();
    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (stopSignals.wakeFd >= 0) {
        stopNotifier = std::make_unique<QSocketNotifier>(stopSignals.wakeFd, QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &dialog, [&dialog, &stopNotifier] {
            stopNotifier->setEnabled(false);  // once: the descriptor stays readable
            dialog.close();
        });
    }
    dialog.runAsMainWindow();
    // Closes the controller (waiting for a worker that is still reporting) while the dialog still stands.
    session->controller.reset();
    dialog.detach();
    return 0;
}

}  // namespace ib::ui
