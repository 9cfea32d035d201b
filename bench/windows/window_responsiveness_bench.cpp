// The window's responsiveness during a large full update: the real dialog
// (imageburner.exe's own code, in this process) against a fresh simulated
// eMMC recorder in its boot ROM, the update started as a click on the big
// button. Prints the longest gap between two WM_TIMER messages handled on the
// dialog's thread (a timer asked for every 10 ms) and the share of time that
// status repaints take. Not a test: it never fails on a slow machine.
//
//   window_responsiveness_bench [firmware MiB = 32] [partition MiB = 256]
//
// Under Wine it needs an X display, e.g. with Xvfb:
//   Xvfb :7 & DISPLAY=:7 wine build-windows/bench/windows/window_responsiveness_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "app/temporary_folder.h"
#include "dialog_thread_meter.h"
#include "operation/status_texts.h"
#include "seams/utf8_path.h"
#include "sim/state_folder.h"
#include "update_inputs.h"
#include "win32/window_app.h"

namespace fs = std::filesystem;
using namespace ib;

namespace {

std::string logText(const fs::path& log) {
    std::ifstream in(log, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool logHas(const fs::path& log, const std::string& text) { return logText(log).find(text) != std::string::npos; }

bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A message box would wait for a user: the benchmark ends with its text.
void endOnMessageBox(const fs::path& log) {
    const std::string text = logText(log);
    const auto at = text.find("  message: ");
    if (at == std::string::npos) return;
    std::fprintf(stderr, "window_responsiveness_bench: %s\n", text.substr(at + 2, text.find('\n', at) - at - 2).c_str());
    std::_Exit(1);
}

// Clicks the big button once the recorder is ready, measures until the
// update has finished, then closes the dialog.
void drive(bench::DialogThreadMeter& meter, const fs::path& log, bench::DialogThreadFigures& figures,
           bool& succeeded) {
    const std::string ready = std::string("status: ") + text::kRecorderReady;
    const bool shown = waitFor([&] { return meter.dialog() && logHas(log, ready); }, std::chrono::seconds(60));
    HWND dialog = meter.dialog();
    if (shown) {
        meter.start();
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, 1)));
        waitFor(
            [&] {
                endOnMessageBox(log);
                return logHas(log, "full update finished");
            },
            std::chrono::hours(1));
        figures = meter.stop();
        succeeded = logHas(log, "full update finished: success");
    }
    if (dialog) ::PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void printFigures(const bench::DialogThreadFigures& figures, std::uint64_t firmwareMiB, std::uint64_t partitionMiB) {
    std::printf("full update of %llu MiB firmware and a %llu MiB partition: %.1f s\n",
                static_cast<unsigned long long>(firmwareMiB), static_cast<unsigned long long>(partitionMiB),
                figures.elapsedMs / 1000);
    std::printf("WM_TIMER handled (asked for every %u ms): %llu, longest gap %.1f ms\n", bench::kTickMs,
                static_cast<unsigned long long>(figures.ticks), figures.longestGapMs);
    std::printf("status repaints: %llu, %.1f ms = %.2f %% of the update's time, %.1f %% of the dialog thread's CPU "
                "time (%.1f ms)\n",
                static_cast<unsigned long long>(figures.repaints), figures.repaintMs,
                100 * figures.repaintMs / figures.elapsedMs,
                figures.threadCpuMs > 0 ? 100 * figures.repaintMs / figures.threadCpuMs : 0.0, figures.threadCpuMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::uint64_t firmwareMiB = argc > 1 ? std::wcstoull(argv[1], nullptr, 10) : 32;
    const std::uint64_t partitionMiB = argc > 2 ? std::wcstoull(argv[2], nullptr, 10) : 256;
    if (firmwareMiB < 2 || partitionMiB < 1) {
        std::fprintf(stderr, "usage: window_responsiveness_bench [firmware MiB >= 2] [partition MiB >= 1]\n");
        return 2;
    }
    const fs::path folder =
        app::temporaryFolder() / pathFromUtf8("window-responsiveness-" + std::to_string(::GetCurrentProcessId()));
    const fs::path work = folder / pathFromUtf8("work"), state = folder / pathFromUtf8("recorder"),
                   log = folder / pathFromUtf8("service.log");
    fs::create_directories(work);
    bench::writeUpdateInputs(work, firmwareMiB, partitionMiB);
    sim::RecorderState fresh;
    fresh.mode = sim::RecorderMode::BootRom;
    std::string error;
    if (!sim::StateFolder::create(state, fresh, true, error)) {
        std::fprintf(stderr, "window_responsiveness_bench: %s\n", error.c_str());
        return 1;
    }

    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    bench::DialogThreadMeter meter;  // this thread runs the dialog
    bench::DialogThreadFigures figures;
    bool succeeded = false;
    std::thread driver(drive, std::ref(meter), log, std::ref(figures), std::ref(succeeded));
    win32::runWindowApp(::GetModuleHandleW(nullptr), {"--sim", utf8FromPath(state), "--workdir", utf8FromPath(work),
                                                      "--log", utf8FromPath(log)});
    driver.join();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (!succeeded) {
        std::fprintf(stderr, "window_responsiveness_bench: the update did not succeed\n");
        return 1;
    }
    printFigures(figures, firmwareMiB, partitionMiB);
    return 0;
}
