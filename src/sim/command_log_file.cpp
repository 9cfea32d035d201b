// Block appends to commands.log. See command_log_file.h.
#include "sim/command_log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ib::sim {

std::unique_ptr<CommandLogFile> CommandLogFile::open(const std::filesystem::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<CommandLogFile>(new CommandLogFile(path, fd));
}

CommandLogFile::CommandLogFile(std::filesystem::path path, int fd)
    : m_path(std::move(path)), m_fd(fd), m_lateWriter([this](std::stop_token stop) { writeLateLines(stop); }) {
    m_waiting.reserve(kBlockBytes);
}

CommandLogFile::~CommandLogFile() {
    m_lateWriter.request_stop();
    m_lateWriter.join();
    writeWaitingLines();
    ::close(m_fd);
}

void CommandLogFile::append(std::string_view line, LogTiming timing) {
    std::lock_guard lock(m_mutex);
    const bool wasEmpty = m_waiting.empty();
    m_waiting.append(line);
    m_waiting += '\n';
    if (timing == LogTiming::Now || m_waiting.size() >= kBlockBytes)
        writeWaitingLines();
    else if (wasEmpty)
        m_lineWaits.notify_one();
}

std::string CommandLogFile::error() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

void CommandLogFile::writeWaitingLines() {
    std::size_t done = 0;
    while (done < m_waiting.size()) {
        const ssize_t n = ::write(m_fd, m_waiting.data() + done, m_waiting.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_error = "cannot append to " + m_path.string() + ": " + std::strerror(n < 0 ? errno : EIO);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    m_waiting.clear();
}

void CommandLogFile::writeLateLines(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested()) {
        if (!m_lineWaits.wait(lock, stop, [this] { return !m_waiting.empty(); })) return;
        // The first waiting line has just arrived: give it company for a while.
        m_lineWaits.wait_for(lock, stop, kLatestWrite, [] { return false; });
        writeWaitingLines();
    }
}

}  // namespace ib::sim
