// Block appends to commands.log. See command_log_file.h.
#include "sim/command_log_file.h"

namespace ib::sim {

std::unique_ptr<CommandLogFile> CommandLogFile::open(const std::filesystem::path& path, std::string& error) {
    auto file = NativeFile::open(path, NativeFile::Mode::Append, error);
    if (!file) return nullptr;
    return std::unique_ptr<CommandLogFile>(new CommandLogFile(path, std::move(file)));
}

CommandLogFile::CommandLogFile(std::filesystem::path path, std::unique_ptr<NativeFile> file)
    : m_path(std::move(path)), m_file(std::move(file)), m_lateWriter([this] { writeLateLines(); }) {
    m_waiting.reserve(kBlockBytes);
}

CommandLogFile::~CommandLogFile() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_lineWaits.notify_all();
    m_lateWriter.join();
    writeWaitingLines();
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
    // One append per block keeps the block whole when several processes append.
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(m_waiting.data()), m_waiting.size());
    if (!bytes.empty() && !m_file->append(bytes))
        m_error = "cannot append to " + m_path.string() + ": " + NativeFile::lastError();
    m_waiting.clear();
}

void CommandLogFile::writeLateLines() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_lineWaits.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_stopping) return;  // the destructor writes what waits
        // The first waiting line has just arrived: give it company for a while.
        m_lineWaits.wait_for(lock, kLatestWrite, [this] { return m_stopping; });
        writeWaitingLines();
    }
}

}  // namespace ib::sim
