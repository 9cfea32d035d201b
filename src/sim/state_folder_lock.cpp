// The simulated recorder's lock. See state_folder_lock.h.
#include "sim/state_folder_lock.h"

#include "seams/recorder_lock_file.h"

namespace ib::sim {

std::unique_ptr<RecorderLock> stateFolderLock(const std::filesystem::path& dir) {
    return recorderLockFile(dir / "recorder.lock");
}

}  // namespace ib::sim
