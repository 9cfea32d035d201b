// commands.log of a state folder, appended in blocks. A line that may wait (a bulk
// transfer's) joins a buffer that is written when it fills, or at the latest
// kLatestWrite after the line arrived (a thread of its own sees to that); any other line
// is written at once, with those waiting before it. So a streak of bulk transfers costs
// one write per block, and a reader of the file is never more than kLatestWrite behind.
// Each block holds whole lines and is one append, so several processes keep lines whole.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "sim/native_file.h"
#include "sim/recorder_backing.h"

namespace ib::sim {

class CommandLogFile {
public:
    static constexpr std::chrono::milliseconds kLatestWrite{50};
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    // Null when the file cannot be opened for appending, with the reason in `error`.
    static std::unique_ptr<CommandLogFile> open(const std::filesystem::path& path, std::string& error);
    // Writes what still waits.
    ~CommandLogFile();
    CommandLogFile(const CommandLogFile&) = delete;
    CommandLogFile& operator=(const CommandLogFile&) = delete;

    void append(std::string_view line, LogTiming timing);
    // The last failed write ("" when all went well).
    std::string error() const;

private:
    CommandLogFile(std::filesystem::path path, std::unique_ptr<NativeFile> file);
    void writeWaitingLines();  // with m_mutex held
    void writeLateLines();

    std::filesystem::path m_path;
    std::unique_ptr<NativeFile> m_file;
    // A plain thread and condition variable, not a stop token: on Windows the
    // standard library's stop callbacks can leave the thread waiting for ever.
    mutable std::mutex m_mutex;
    std::condition_variable m_lineWaits;
    std::string m_waiting;  // whole lines, each with its newline
    std::string m_error;
    bool m_stopping = false;
    std::thread m_lateWriter;  // last: started once everything it uses exists
};

}  // namespace ib::sim
