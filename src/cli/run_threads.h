// The threads of runs that end on their own, each joined once its work has
// ended: a station that runs all day starts one per recorder that arrives,
// and a thread left unjoined keeps its stack until the program ends.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace ib::cli {

class RunThreads {
public:
    RunThreads() = default;
    RunThreads(const RunThreads&) = delete;
    RunThreads& operator=(const RunThreads&) = delete;
    ~RunThreads() { joinAll(); }

    // Runs `work` on a thread of its own.
    void start(std::function<void()> work);
    // Joins the threads whose work has ended; the number whose work goes on.
    std::size_t joinEnded();
    // Waits for every thread's work to end.
    void joinAll();

private:
    std::mutex m_mutex;  // guards the three below: the threads mark their own end
    std::map<std::size_t, std::thread> m_threads;
    std::vector<std::size_t> m_ended;
    std::size_t m_next = 0;
};

}  // namespace ib::cli
