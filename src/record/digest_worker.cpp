// Digests on a thread of their own. See digest_worker.h.
#include "record/digest_worker.h"

#include <utility>

#include "record/sha256.h"

namespace ib::record {

DigestWorker::DigestWorker() : m_thread([this] { run(); }) {}

DigestWorker::~DigestWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DigestWorker::start(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    m_bytes = bytes;
    m_pending = true;
    m_changed.notify_all();
}

std::string DigestWorker::result() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pending; });
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    return m_digest;
}

void DigestWorker::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending) return;
        const std::span<const std::uint8_t> bytes = m_bytes;
        lock.unlock();
        std::string digest;
        std::exception_ptr failure;
        try {
            digest = sha256Hex(bytes);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_digest = std::move(digest);
        m_failure = failure;
        m_pending = false;
        m_changed.notify_all();
    }
}

}  // namespace ib::record
