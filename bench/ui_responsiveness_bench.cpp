// How the window's user-interface thread fares during a large full update: a
// 5 ms timer on that thread notes the longest gap between two of its events,
// and the thread's processor time (status repaints, log lines, the progress
// bar, event dispatch) is set against the wall time of the update. The update
// runs against a simulated recorder that costs no time, so status reports
// come as fast as the engine can make them: the worst case for the window.
//
//   ui_responsiveness_bench [firmware MiB = 64] [partition MiB = 960]
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "app/application_session.h"
#include "app/control_table.h"
#include "bench_support.h"
#include "sim/state_folder.h"
#include "ui/main_dialog.h"
#include "ui/qt_port.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Notes the longest gap between two timeouts of a fast timer on this thread.
class GapWatch {
public:
    GapWatch() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(5);
    }
    double longestGapMs() const { return m_longest.count(); }

private:
    void tick() {
        const auto now = std::chrono::steady_clock::now();
        if (m_last) m_longest = std::max(m_longest, std::chrono::duration<double, std::milli>(now - *m_last));
        m_last = now;
    }

    QTimer m_timer;
    std::optional<std::chrono::steady_clock::time_point> m_last;
    std::chrono::duration<double, std::milli> m_longest{0};
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::uint64_t firmwareMiB = argc > 1 ? std::stoull(argv[1]) : 64;
    const std::uint64_t partitionMiB = argc > 2 ? std::stoull(argv[2]) : 960;

    bench::ScratchFolder scratch("imageburner-bench-ui");
    const fs::path work = scratch.path() / "work", state = scratch.path() / "recorder";
    fs::create_directories(work);
    bench::writeUpdateInputs(work, firmwareMiB, partitionMiB);
    sim::RecorderState initial;
    initial.mode = sim::RecorderMode::BootRom;
    std::string error;
    if (!sim::StateFolder::create(state, initial, true, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    ui::MainDialog dialog;
    ui::QtPort port(dialog, dialog);
    app::SessionOptions options;
    options.workingDirectory = work;
    options.simulatorFolders = {state};
    options.overrides.temporaryDirectory = work;
    options.overrides.deliverDeviceEvent = [&dialog](std::function<void()> handle) {
        QMetaObject::invokeMethod(&dialog, std::move(handle), Qt::QueuedConnection);
    };
    auto session = app::ApplicationSession::open(port, options, error);
    if (!session || !dialog.startUp(*session->controller)) {
        std::fprintf(stderr, "no session: %s\n", error.c_str());
        return 1;
    }
    dialog.show();

    GapWatch gaps;
    QTimer watcher;  // ends the run when the update has finished; answers a message box
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            std::fprintf(stderr, "message box: %s\n", box->windowTitle().toStdString().c_str());
            box->close();
        }
        if (dialog.logText().contains(QStringLiteral("full update finished"))) application.quit();
    });
    watcher.start(20);
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = threadCpuSeconds();
    QTimer::singleShot(0, [&] { static_cast<QAbstractButton*>(dialog.control(control::Start))->click(); });
    application.exec();
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double cpuSeconds = threadCpuSeconds() - cpuStarted;

    const bool succeeded = dialog.logText().contains(QStringLiteral("full update finished: success"));
    std::printf("Qt window, full update of %llu MiB: %s in %.1f s\n",
                static_cast<unsigned long long>(firmwareMiB + partitionMiB), succeeded ? "success" : "FAILURE",
                wallSeconds);
    const double share = 100.0 * cpuSeconds / wallSeconds;
    std::printf("  longest gap between two timer events on the user-interface thread: %.1f ms (goal < 50)\n",
                gaps.longestGapMs());
    std::printf("  user-interface thread's processor time: %.2f s, %.1f %% of one core (goal < 5)\n", cpuSeconds,
                share);
    const std::string size = std::to_string(firmwareMiB + partitionMiB) + " MiB";
    bench::printTableRow({"Qt window, longest stall of the user-interface thread, update of " + size,
                          bench::fixed(gaps.longestGapMs(), 1) + " ms", "", "", "< 50 ms",
                          bench::verdict(succeeded && gaps.longestGapMs() < 50)});
    bench::printTableRow({"Qt window, user-interface thread's share of one core, update of " + size,
                          bench::fixed(share, 1) + " %", "", "", "< 5 %", bench::verdict(succeeded && share < 5)});
    session->controller.reset();
    dialog.detach();
    return succeeded ? 0 : 1;
}
