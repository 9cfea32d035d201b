// Entry point of imageburner-cli on Windows: the arguments are taken as the
// system gives them (UTF-16) and handed on in UTF-8, so names outside the ANSI
// code page survive, and the console shows UTF-8 (the Polish status texts).
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/stop_signals.h"
#include "platform/windows/wide_text.h"

int wmain(int argc, wchar_t** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(ib::platform::utf8FromWide(argv[i]));
    std::vector<char*> pointers;
    for (auto& argument : arguments) pointers.push_back(argument.data());
    const ib::platform::StopSignals signals = ib::platform::installStopSignals();
    return ib::cli::run(argc, pointers.data(), std::cout, std::cerr, 
                           ib::cli::StopRequests{ib::StopRequest(signals.requested),
                                                 ib::StopRequest(signals.requestedAgain), ib::platform::holdSecondStop});
}
