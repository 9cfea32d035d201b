#include "win32/program_restart.h"

#include <shellapi.h>

#include "platform/windows/command_line_quoting.h"
#include "platform/windows/wide_text.h"

namespace ib::win32 {
namespace {

std::wstring programPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

bool startProgramAgain(HWND owner, const std::vector<std::string>& arguments, Rights rights) {
    std::string parameters;
    for (const std::string& argument : arguments)
        parameters += (parameters.empty() ? "" : " ") + platform::quotedArgument(argument);
    const std::wstring program = programPath();
    const std::wstring wideParameters = platform::wideFromUtf8(parameters);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = owner;
    start.lpVerb = rights == Rights::Administrator ? L"runas" : nullptr;
    start.lpFile = program.c_str();
    start.lpParameters = wideParameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&start) != FALSE;
}

std::vector<std::string> programArguments() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    for (int i = 1; arguments && i < count; ++i) utf8.push_back(platform::utf8FromWide(arguments[i]));
    ::LocalFree(arguments);
    return utf8;
}

}  // namespace ib::win32
