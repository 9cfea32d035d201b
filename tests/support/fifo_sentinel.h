// A named pipe for tests of code that must never open it. A watcher keeps
// trying to open the pipe's writing end without blocking, which succeeds only
// while someone waits to read: such an open is noted and let go at once (the
// reader sees an empty file), so a fault fails the test instead of hanging it.
// On Windows, which has no named pipes in the file system, it is a folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <thread>

namespace ib::test {

class FifoSentinel {
public:
    explicit FifoSentinel(std::filesystem::path path);
    ~FifoSentinel();
    FifoSentinel(const FifoSentinel&) = delete;
    FifoSentinel& operator=(const FifoSentinel&) = delete;

    // Whether anything opened the pipe for reading so far.
    bool wasOpened() const { return m_opened.load(); }

private:
    void watch();

    std::filesystem::path m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::thread m_watcher;
};

}  // namespace ib::test
