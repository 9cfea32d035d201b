// The simulated recorder's lock: a lock file in its state folder, held by the
// one program that has the folder open, with that program's process id in it.
#pragma once

#include <filesystem>
#include <memory>

#include "seams/recorder_lock.h"

namespace ib::sim {

// The lock of the state folder `dir` (not yet taken).
std::unique_ptr<RecorderLock> stateFolderLock(const std::filesystem::path& dir);

}  // namespace ib::sim
