// The window program's command line: --sim DIR (repeatable), --workdir DIR,
// --log FILE, --record FILE; each as "--name value" or "--name=value"; and
// --help (-h, -?, /?) or --version (-v), which show a text instead of the dialog.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ib::win32 {

// What the command line asks the program to show.
enum class WindowRequest { Dialog, Usage, Version };

struct WindowOptions {
    WindowRequest request = WindowRequest::Dialog;
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
// The usage with every option described, which --help shows.
inline constexpr const char* kWindowHelp =
    "Usage: imageburner [options]\n"
    "Firmware updater for the VT-RD70 recorder\n"
    "\n"
    "Options:\n"
    "-?, -h, --help\tDisplays help on commandline options.\n"
    "-v, --version\tDisplays version information.\n"
    "--sim <dir>\tTalk to the simulated recorder in <dir> (repeatable).\n"
    "--workdir <dir>\tWorking folder with DiskInfo.ini (default: the current one).\n"
    "--log <file>\tAlso write the service log to <file>.\n"
    "--record <file>\tRecord every exchange with the recorder to <file> (see the README).";

}  // namespace ib::win32
