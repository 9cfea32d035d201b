// wmain() of a helper tool on Windows: the arguments arrive in UTF-16 and go on in
// UTF-8, and the console shows the UTF-8 messages. See tool_entry.h.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/windows/wide_text.h"
#include "tools/tool_entry.h"

int wmain(int argc, wchar_t** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ib::platform::utf8FromWide(argv[i]));
    return ib::tools::runTool(arguments);
}
