// The window program's command line: --sim DIR (repeatable), --workdir DIR,
// --log FILE, --record FILE; each as "--name value" or "--name=value".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ib::win32 {

struct WindowOptions {
    std::vector<std::string> simulatorFolders;
    std::string workingDirectory = ".";
    bool workingDirectoryGiven = false;  // else the folder is chosen as working_folder.h says
    std::string logFile;     // "" for none
    std::string recordFile;  // "" for none
};

// The options in `arguments` (UTF-8, without the program's name); nullopt with
// `error` set for an unknown option or one without its value.
std::optional<WindowOptions> parseWindowOptions(const std::vector<std::string>& arguments, std::string& error);

// How the options are written, for the error box.
inline constexpr const char* kWindowUsage =
    "Usage: imageburner [--sim DIR]... [--workdir DIR] [--log FILE] [--record FILE]";

}  // namespace ib::win32
