// Threads joined as they end. See run_threads.h.
#include "cli/run_threads.h"

namespace ib::cli {

void RunThreads::start(std::function<void()> work) {
    std::lock_guard lock(m_mutex);  // held until the thread is in the map, where its end finds it
    const std::size_t id = m_next++;
    m_threads.emplace(id, std::thread([this, id, work = std::move(work)] {
        work();
        std::lock_guard ended(m_mutex);
        m_ended.push_back(id);
    }));
}

std::size_t RunThreads::joinEnded() {
    std::vector<std::thread> ended;
    std::size_t going;
    {
        std::lock_guard lock(m_mutex);
        for (const std::size_t id : m_ended) {
            const auto it = m_threads.find(id);
            if (it == m_threads.end()) continue;  // joined by joinAll already
            ended.push_back(std::move(it->second));
            m_threads.erase(it);
        }
        m_ended.clear();
        going = m_threads.size();
    }
    for (auto& thread : ended) thread.join();  // its work is over: only its last unlock is left
    return going;
}

void RunThreads::joinAll() {
    std::vector<std::thread> all;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [id, thread] : m_threads) all.push_back(std::move(thread));
        m_threads.clear();
        m_ended.clear();
    }
    for (auto& thread : all) thread.join();
}

}  // namespace ib::cli
