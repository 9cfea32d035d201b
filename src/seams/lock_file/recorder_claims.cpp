// The recorders this program has taken. See recorder_lock_file.h.
#include <algorithm>

#include "seams/recorder_lock_file.h"
#include "seams/utf8_path.h"

namespace ib {

RecorderClaims::RecorderClaims(const std::filesystem::path& folder)
    : RecorderClaims([folder](std::string_view identity) {
          return recorderLockFile(folder / pathFromUtf8(recorderLockFileName(identity)));
      }) {}

RecorderClaims::RecorderClaims(LockMaker makeLock) : m_makeLock(std::move(makeLock)) {}

std::shared_ptr<RecorderLock> RecorderClaims::claim(std::string_view identity, std::string* whyNot) {
    std::lock_guard lock(m_mutex);
    if (const auto known = m_claims.find(identity); known != m_claims.end())
        if (auto held = known->second.lock()) return held;
    std::shared_ptr<RecorderLock> claim = m_makeLock(identity);
    if (const auto holder = claim->take()) {
        if (whyNot) *whyNot = recorderInUseMessage(*holder);
        return nullptr;
    }
    std::erase_if(m_claims, [](const auto& entry) { return entry.second.expired(); });
    m_claims.insert_or_assign(std::string(identity), claim);
    return claim;
}

}  // namespace ib
