#include "gui_rig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <thread>

namespace ib::test {

ModalAnswerer::ModalAnswerer() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* chooser = qobject_cast<QFileDialog*>(modal); chooser && chooser->isVisible() && !holdChoosers) {
            texts << "chooser: " + chooser->windowTitle();
            if (pick.isEmpty()) {
                chooser->reject();
                return;
            }
            chooser->selectFile(pick);
            static_cast<QDialog*>(chooser)->accept();  // the chooser's own checks run
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->isVisible()) return;
        texts << box->text();
        icons << box->icon();
        QAbstractButton* answer = box->button(QMessageBox::Yes);
        if (!answer) answer = box->defaultButton();
        if (!answer) answer = box->buttons().constFirst();
        answer->click();
    });
    m_timer.start(5);
}

GuiRig::GuiRig(sim::RecorderMode mode, bool attached) {
    sim::RecorderState state;
    state.mode = mode;
    if (!attached) {  // off the bus for good
        state.awayUntilMs = 0;
        state.faults.staysAway = true;
    }
    sim = sim::Simulator::inMemory(state, clock);
}

void GuiRig::fireFromAnotherThread(std::uint32_t type) const {
    static const std::string recorderDisk =
        "\\\\?\\USBSTOR#Disk&Ven_qub&Prod_Card_Reader#S&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
    std::thread([this, type] { events.fire(type, recorderDisk); }).join();
}

GuiRig::~GuiRig() {
    session.reset();
    dialog.detach();
}

bool GuiRig::startUp() {
    app::SessionOptions options;
    options.workingDirectory = workdir.path();
    app::SessionOverrides& doubles = options.overrides;
    doubles.volumes = &sim->volumes();
    doubles.devices = &sim->enumerator();
    doubles.deviceEvents = &events;
    doubles.clock = &clock;
    doubles.profile = &profile;
    doubles.processes = &processes;
    doubles.temporaryDirectory = tmpdir.path();
    doubles.physicalDrives = [](std::uint8_t) { return std::optional<std::string>{}; };
    if (!deliverDeviceEvent) {
        deliverDeviceEvent = [this](std::function<void()> handle) {
            QMetaObject::invokeMethod(&dialog, std::move(handle), Qt::QueuedConnection);
        };
    }
    doubles.deliverDeviceEvent = deliverDeviceEvent;
    session = app::ApplicationSession::open(port, options);
    return dialog.startUp(*session->controller);
}

}  // namespace ib::test
