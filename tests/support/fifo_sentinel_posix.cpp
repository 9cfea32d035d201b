// Named pipes that notice readers. See fifo_sentinel.h.
#include "support/fifo_sentinel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace ib::test {

FifoSentinel::FifoSentinel(std::filesystem::path path) : m_path(std::move(path)) {
    if (::mkfifo(m_path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + m_path.string());
    m_watcher = std::thread([this] { watch(); });
}

FifoSentinel::~FifoSentinel() {
    m_stop = true;
    m_watcher.join();
}

void FifoSentinel::watch() {
    while (!m_stop) {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            m_opened = true;
            ::close(fd);  // the reader goes on and reads end of file
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace ib::test
