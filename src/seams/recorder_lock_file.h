// The lock file that keeps one recorder for one program: held from the moment
// the program takes the recorder until it lets it go, with the holder's
// process id inside so that a second program can say who has it. Used for the
// real recorders and for the simulated recorder's state folder alike.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "seams/recorder_lock.h"

namespace ib {

// The lock on the file at `path` (not yet taken; taking it creates the file).
std::unique_ptr<RecorderLock> recorderLockFile(const std::filesystem::path& path);

// The lock file's name for a recorder known by `identity` (a USB port path, a
// serial number): characters a file name cannot hold everywhere become '_'.
std::string recorderLockFileName(std::string_view identity);

// The recorders this program has taken, each by a lock of its own (a lock
// file in one folder, unless another kind of lock is given). A recorder that a
// handle of this program still holds is handed out again, so that reopening it
// never meets this program's own lock.
class RecorderClaims {
public:
    // Makes the (not yet taken) lock of the recorder known by an identity.
    using LockMaker = std::function<std::unique_ptr<RecorderLock>(std::string_view identity)>;

    explicit RecorderClaims(const std::filesystem::path& folder);
    explicit RecorderClaims(LockMaker makeLock);
    // The claim on the recorder known by `identity`; null, with the in-use
    // message in `whyNot`, when another program has it.
    std::shared_ptr<RecorderLock> claim(std::string_view identity, std::string* whyNot);

private:
    LockMaker m_makeLock;
    std::mutex m_mutex;  // the command layer is used from more than one thread
    std::map<std::string, std::weak_ptr<RecorderLock>, std::less<>> m_claims;  // by identity
};

}  // namespace ib
