// Entry point of imageburner.exe, the window: the arguments are taken as the
// system gives them (UTF-16) and handed on in UTF-8.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "win32/program_restart.h"
#include "win32/window_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    // The folder chooser is a shell dialog, which needs COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int status = ib::win32::runWindowApp(instance, ib::win32::programArguments());
    if (SUCCEEDED(com)) ::CoUninitialize();
    return status;
}
