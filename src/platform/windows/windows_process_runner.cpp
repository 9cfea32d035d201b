// Running helper tools through CreateProcessW. See windows_process_runner.h.
#include "platform/windows/windows_process_runner.h"

#include <windows.h>

#include "platform/windows/command_line_quoting.h"
#include "platform/windows/long_path.h"
#include "platform/windows/wide_text.h"

namespace ib::platform {

int WindowsProcessRunner::run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const std::filesystem::path& workingDirectory) {
    std::wstring commandLine = wideFromUtf8(windowsCommandLine(utf8FromWide(program.native()), arguments));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const wchar_t* folder = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
    // A tool in a long folder is started by its "\\?\" form; the command line keeps the plain name.
    // A process group of its own: Ctrl+C in the console reaches the program,
    // which stops after the tool has finished, and never the tool mid-write.
    const std::wstring programPath = extendedLengthPath(program.native());
    // The tools are console programs: started from the window, which has no
    // console, each would open a console window of its own over the dialog and
    // take the focus. Without a console of ours they get a hidden one; from
    // the command line they share its console and write there.
    const DWORD flags = CREATE_NEW_PROCESS_GROUP | (::GetConsoleWindow() ? 0 : CREATE_NO_WINDOW);
    if (!::CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                          &startup, &process))
        return -1;
    ::CloseHandle(process.hThread);
    DWORD status = 0;
    const bool waited = ::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    return waited ? static_cast<int>(status) : -1;
}

}  // namespace ib::platform
