// The main dialog over a controller talking to an in-memory simulated
// recorder, assembled by the application session as the program does, with
// device notifications fired by hand and every message box answered.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "app/application_session.h"
#include "app/memory_profile.h"
#include "sim/simulator.h"
#include "support/fake_environment.h"
#include "support/temp_folder.h"
#include "ui/main_dialog.h"
#include "ui/qt_port.h"

namespace ib::test {

// Answers every modal box as it opens: a message box with its default or
// "Yes" button, a file chooser with `pick`; their texts are kept (a chooser as
// "chooser: <title>").
class ModalAnswerer {
public:
    ModalAnswerer();
    QStringList texts;
    // The icon of each message box, in the same order.
    QList<QMessageBox::Icon> icons;
    // While set, file choosers stay open (the worker that asked waits).
    bool holdChoosers = false;
    // The path a file chooser is answered with; empty: cancelled.
    QString pick;

private:
    QTimer m_timer;
};

// A manual clock that first runs `onSleep`, on the sleeping thread, whenever
// someone pauses: a test's way to act at a chosen point of a worker's run.
class HookedClock final : public Clock {
public:
    std::function<void()> onSleep;
    std::int64_t nowMs() override { return m_clock.nowMs(); }
    void sleepMs(std::int64_t ms) override {
        if (onSleep) onSleep();
        m_clock.sleepMs(ms);
    }

private:
    ManualClock m_clock;
};

class GuiRig {
public:
    explicit GuiRig(sim::RecorderMode mode = sim::RecorderMode::Updater, bool attached = true);
    ~GuiRig();

    // Opens the session and runs the dialog's start-up; its result.
    bool startUp();
    QWidget& control(int id) const { return *dialog.control(id); }
    // Fires a device notification for the recorder's disk from a thread of
    // its own, as the system's source does.
    void fireFromAnotherThread(std::uint32_t type) const;
    // Processes events until `done` holds or five seconds have passed.
    template <typename Condition>
    bool waitFor(Condition done);

    HookedClock clock;
    // Where device events are handed for handling; by default queued to the
    // dialog's thread, as the program does.
    std::function<void(std::function<void()> handle)> deliverDeviceEvent;
    std::unique_ptr<sim::Simulator> sim;
    FakeDeviceEvents events;
    app::MemoryProfile profile;
    RecordingProcesses processes;
    TempFolder workdir;
    TempFolder tmpdir;
    ModalAnswerer answerer;
    ui::MainDialog dialog;
    ui::QtPort port{dialog, dialog};
    std::unique_ptr<app::ApplicationSession> session;
};

template <typename Condition>
bool GuiRig::waitFor(Condition done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace ib::test
