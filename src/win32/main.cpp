// Entry point of imageburner.exe, the window: the arguments are taken as the
// system gives them (UTF-16) and handed on in UTF-8.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/windows/wide_text.h"
#include "win32/window_app.h"

namespace {

std::vector<std::string> argumentsAfterProgramName() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    for (int i = 1; arguments && i < count; ++i) utf8.push_back(ib::platform::utf8FromWide(arguments[i]));
    ::LocalFree(arguments);
    return utf8;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    return ib::win32::runWindowApp(instance, argumentsAfterProgramName());
}
