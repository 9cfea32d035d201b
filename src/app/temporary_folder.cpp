// The temporary folder. See temporary_folder.h.
#include "app/temporary_folder.h"

#include "seams/utf8_path.h"

namespace ib::app {

std::filesystem::path temporaryFolder(std::error_code& error) {
    error.clear();
    // TMPDIR is taken as given on every system: the system's own lookup may
    // not read it, and refuses one that does not exist yet.
    if (auto folder = pathFromEnvironment("TMPDIR")) return *folder;
    return std::filesystem::temp_directory_path(error);
}

std::filesystem::path temporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = temporaryFolder(error);
    if (error) throw std::filesystem::filesystem_error("no temporary folder", error);
    return folder;
}

}  // namespace ib::app
