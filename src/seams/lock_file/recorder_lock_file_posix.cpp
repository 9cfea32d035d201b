// A recorder's lock file on POSIX systems: an advisory flock, which the system
// drops when the holder ends however it ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "seams/recorder_lock_file.h"

namespace ib {
namespace {

class FlockRecorderLock final : public RecorderLock {
public:
    explicit FlockRecorderLock(std::filesystem::path path) : m_path(std::move(path)) {}
    ~FlockRecorderLock() override {
        if (m_fd >= 0) ::close(m_fd);  // closing drops the lock
    }
    FlockRecorderLock(const FlockRecorderLock&) = delete;
    FlockRecorderLock& operator=(const FlockRecorderLock&) = delete;

    std::optional<long> take() override {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) return std::nullopt;  // no lock file: the recorder goes unguarded
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const long holder = holderPid();
            ::close(m_fd);
            m_fd = -1;
            return holder;
        }
        const std::string pid = std::to_string(::getpid());
        if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, pid.data(), pid.size(), 0) < 0) {
            // The lock holds without the id; a second program then names pid 0.
        }
        return std::nullopt;
    }

private:
    long holderPid() const {
        char text[24] = {};
        const ssize_t n = ::pread(m_fd, text, sizeof text - 1, 0);
        return n > 0 ? std::strtol(text, nullptr, 10) : 0;
    }

    std::filesystem::path m_path;
    int m_fd = -1;
};

}  // namespace

std::unique_ptr<RecorderLock> recorderLockFile(const std::filesystem::path& path) {
    return std::make_unique<FlockRecorderLock>(path);
}

}  // namespace ib
