// Paths typed on the command line. The operations resolve a relative name
// against the working folder (--workdir), as the dialog does for names from
// DiskInfo.ini; a name the user typed in the shell means the shell's folder.
#pragma once

#include <string>

namespace ib::cli {

// `typed` made absolute against the process's current folder; "" stays "",
// which the operations take as "no path given".
std::string fromShell(const std::string& typed);

}  // namespace ib::cli
