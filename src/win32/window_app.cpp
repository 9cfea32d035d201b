#include "win32/window_app.h"

#include <memory>

#include "app/application_session.h"
#include "app/build_version.h"
#include "platform/windows/wide_text.h"
#include "seams/utf8_path.h"
#include "win32/dialog_device_events.h"
#include "win32/file_chooser.h"
#include "win32/main_dialog.h"
#include "win32/window_options.h"
#include "win32/window_port.h"

namespace ib::win32 {
namespace {

void showError(const std::string& text) {
    ::MessageBoxW(nullptr, platform::wideFromUtf8(text).c_str(), L"Error Message", MB_OK | MB_ICONERROR);
}

// The usage or the version, as --help and --version ask.
void showRequested(WindowRequest request) {
    const std::string text =
        request == WindowRequest::Usage ? kWindowHelp : "imageburner " + std::string(app::kVersionText);
    ::MessageBoxW(nullptr, platform::wideFromUtf8(text).c_str(), L"ImageBurner", MB_OK | MB_ICONINFORMATION);
}

// Without a simulated recorder the dialog's own window takes the device
// notifications; a simulated recorder's events are handled on the dialog's
// thread as well.
app::SessionOptions sessionOptions(const WindowOptions& given, const DialogThread& thread,
                                   DialogDeviceEvents& deviceEvents) {
    app::SessionOptions options;
    options.workingDirectory = pathFromUtf8(given.workingDirectory);
    if (!given.workingDirectoryGiven)
        options.askWorkingFolder = []() -> std::optional<std::filesystem::path> {
            std::error_code noFolder;  // the current folder may have gone
            const auto folder = chooseFolder(nullptr, utf8FromPath(std::filesystem::current_path(noFolder)));
            return folder ? std::optional(pathFromUtf8(*folder)) : std::nullopt;
        };
    for (const std::string& folder : given.simulatorFolders) options.simulatorFolders.push_back(pathFromUtf8(folder));
    if (!given.recordFile.empty()) options.recordFile = pathFromUtf8(given.recordFile);
    if (options.simulatorFolders.empty())
        options.overrides.deviceEvents = &deviceEvents;
    else
        options.overrides.deliverDeviceEvent = [&thread](std::function<void()> handle) {
            thread.post(std::move(handle));
        };
    return options;
}

}  // namespace

int runWindowApp(HINSTANCE instance, const std::vector<std::string>& arguments) {
    std::string error;
    const auto options = parseWindowOptions(arguments, error);
    if (!options) {
        showError(error + "\n\n" + kWindowUsage);
        return 2;
    }
    if (options->request != WindowRequest::Dialog) {
        showRequested(options->request);
        return 0;
    }
    DialogThread thread;
    DialogDeviceEvents deviceEvents(thread);
    MainDialog dialog(instance, thread, &deviceEvents);
    dialog.setArguments(arguments);
    if (!options->logFile.empty() && !dialog.serviceLog().copyTo(pathFromUtf8(options->logFile)))
        showError("Cannot write the log to " + options->logFile);
    WindowPort port(dialog, thread);
    app::SessionOptions sessionSettings = sessionOptions(*options, thread, deviceEvents);
    sessionSettings.stop = dialog.stopRequest();
    auto session = app::ApplicationSession::open(port, sessionSettings, error);
    if (!session) {
        showError(error);
        return 1;
    }
    // The controller closes (waiting for a worker that is still reporting) while the dialog still stands.
    dialog.run(*session->controller, [&session] { session->controller.reset(); });
    return 0;
}

}  // namespace ib::win32
