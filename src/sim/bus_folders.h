// The state folders the simulated bus is given, and whether their recorders
// can share it: two recorders on one USB port, or reporting one serial
// number, would be taken for one and every command sent to the first.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ib::sim {

// Each folder that is a state folder, and the state folders a bus folder
// holds, in name order, each once. A folder holding none is kept, so that
// opening it says why.
std::vector<std::filesystem::path> stateFoldersIn(const std::vector<std::filesystem::path>& folders);

// Why the recorders in these state folders cannot share a bus, naming both
// folders and how to tell them apart; nullopt when they can. A folder whose
// recorder.ini does not read is left to its opening to complain about.
std::optional<std::string> sharedIdentity(const std::vector<std::filesystem::path>& stateFolders);

}  // namespace ib::sim
