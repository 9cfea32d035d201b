// The recorders this program has taken. See recorder_lock_file.h.
#include <algorithm>

#include "seams/recorder_lock_file.h"
#include "seams/utf8_path.h"

namespace ib {

RecorderClaims::RecorderClaims(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::shared_ptr<RecorderLock> RecorderClaims::claim(std::string_view identity, std::string* whyNot) {
    const auto path = m_folder / pathFromUtf8(recorderLockFileName(identity));
    std::lock_guard lock(m_mutex);
    if (auto held = m_claims[path].lock()) return held;
    std::shared_ptr<RecorderLock> claim = recorderLockFile(path);
    if (const auto holder = claim->take()) {
        if (whyNot) *whyNot = recorderInUseMessage(*holder);
        return nullptr;
    }
    std::erase_if(m_claims, [](const auto& entry) { return entry.second.expired(); });
    m_claims[path] = claim;
    return claim;
}

}  // namespace ib
