// SHA-256 of a block of bytes, computed on a thread of its own while the
// caller goes on: the digest of the data a command sends is taken while the
// recorder receives it, so that recording costs the transfer next to nothing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace ib::record {

class DigestWorker {
public:
    DigestWorker();
    ~DigestWorker();
    DigestWorker(const DigestWorker&) = delete;
    DigestWorker& operator=(const DigestWorker&) = delete;

    // Starts hashing `bytes`, which must stay unchanged until result().
    void start(std::span<const std::uint8_t> bytes);
    // Waits for the digest of the bytes last started; rethrows a failure of the library.
    std::string result();

private:
    void run();

    // A plain thread and condition variable, not a stop token: on Windows the
    // standard library's stop callbacks can leave the thread waiting for ever.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::span<const std::uint8_t> m_bytes;
    bool m_pending = false;
    bool m_stopping = false;
    std::string m_digest;
    std::exception_ptr m_failure;
    std::thread m_thread;  // last: it starts once the members it uses exist
};

}  // namespace ib::record
