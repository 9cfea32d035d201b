// The state folders of the simulated bus. See bus_folders.h.
#include "sim/bus_folders.h"

#include <algorithm>

#include "seams/utf8_path.h"
#include "sim/state_folder.h"

namespace ib::sim {
namespace {

namespace fs = std::filesystem;

bool isStateFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "recorder.ini", ec);
}

// The state folder itself, or the state folders a bus folder holds, in name order.
std::vector<fs::path> stateFoldersIn(const fs::path& folder) {
    if (isStateFolder(folder)) return {folder};
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (isStateFolder(entry.path())) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    if (found.empty()) found.push_back(folder);  // opening it says why it holds no recorder
    return found;
}

// What two recorders share that should tell one from the other, and how to give each its own; "" when nothing.
std::string sharedBy(const RecorderState& first, const RecorderState& second) {
    const bool port = first.portPath == second.portPath, serial = first.serial == second.serial;
    const std::string onPort = " are both on USB port " + first.portPath;
    const std::string reporting = " both report serial " + first.serial;
    if (port && serial)
        return onPort + " and" + reporting +
               ": give each its own port and serial (sim init --port --serial when making it, or port_path and "
               "serial in its recorder.ini).";
    if (port)
        return onPort + ": give each its own port (sim init --port when making it, or port_path in its recorder.ini).";
    if (serial)
        return reporting +
               ": give each its own serial (sim init --serial when making it, or serial in its recorder.ini).";
    return "";
}

}  // namespace

std::vector<fs::path> stateFoldersIn(const std::vector<fs::path>& folders) {
    std::vector<fs::path> all;
    const auto given = [&all](const fs::path& folder) {
        std::error_code ec;
        return std::any_of(all.begin(), all.end(), [&](const fs::path& p) { return fs::equivalent(p, folder, ec); });
    };
    for (const auto& folder : folders)
        for (auto& stateFolder : stateFoldersIn(folder))
            if (!given(stateFolder)) all.push_back(std::move(stateFolder));  // a folder named twice is one recorder
    return all;
}

std::optional<std::string> sharedIdentity(const std::vector<fs::path>& stateFolders) {
    std::vector<std::pair<fs::path, RecorderState>> seen;
    for (const auto& folder : stateFolders) {
        std::string unread;
        const auto state = StateFolder::peekState(folder, unread);
        if (!state) continue;
        for (const auto& [earlier, known] : seen)
            if (const std::string shared = sharedBy(known, *state); !shared.empty())
                return "The simulated recorders in " + utf8FromPath(earlier) + " and " + utf8FromPath(folder) + shared;
        seen.emplace_back(folder, *state);
    }
    return std::nullopt;
}

}  // namespace ib::sim
