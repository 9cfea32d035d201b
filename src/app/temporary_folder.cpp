// The temporary folder. See temporary_folder.h.
#include "app/temporary_folder.h"

#include <charconv>
#include <string_view>

#include "seams/process_id.h"
#include "seams/utf8_path.h"

namespace ib::app {
namespace {

constexpr std::string_view kRunsFolderPrefix = "imageburner-runs-";

// The process id a runs folder is named after; 0 for any other name.
long runsFolderOwner(const std::filesystem::path& folder) {
    const std::string name = utf8FromPath(folder.filename());
    if (!name.starts_with(kRunsFolderPrefix)) return 0;
    const std::string_view digits = std::string_view(name).substr(kRunsFolderPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    return error == std::errc() && end == digits.data() + digits.size() && pid > 0 ? pid : 0;
}

}  // namespace

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

std::filesystem::path runsFolder(const std::filesystem::path& parent) {
    return parent / pathFromUtf8(std::string(kRunsFolderPrefix) + std::to_string(currentProcessId()));
}

void removeStaleRunsFolders(const std::filesystem::path& parent) {
    namespace fs = std::filesystem;
    std::error_code error;  // what cannot be read or removed stays, as it was
    for (fs::directory_iterator it(parent, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        const long owner = runsFolderOwner(it->path());
        // Only folders: a link of that name is not one this program made.
        if (owner == 0 || processRunning(owner) || it->is_symlink(error) || !it->is_directory(error)) continue;
        std::error_code notRemoved;
        fs::remove_all(it->path(), notRemoved);
    }
}

}  // namespace ib::app
