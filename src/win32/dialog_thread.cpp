#include "win32/dialog_thread.h"

#include <utility>

namespace ib::win32 {

void DialogThread::attach(HWND dialog) {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_window = dialog;
        if (!dialog) dropped.swap(m_queued);
    }
    // Destroyed outside the lock: a dropped call may hold a waiting worker's promise.
}

bool DialogThread::isCurrent() const { return m_threadId == ::GetCurrentThreadId(); }

bool DialogThread::post(std::function<void()> call) const {
    HWND window = nullptr;
    {
        std::lock_guard lock(m_mutex);
        window = m_window;
        if (!window) return false;
        m_queued.push_back(std::move(call));
        // Calls already queued have their wake-up on the way.
        if (m_queued.size() > 1) return true;
    }
    // When the message queue is full the call stays queued for the timer.
    ::PostMessageW(window, kPostedCallMessage, 0, 0);
    return true;
}

void DialogThread::runQueued() const {
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_queued.empty()) return;
            call = std::move(m_queued.front());
            m_queued.pop_front();
        }
        call();
    }
}

void DialogThread::runPeriodic() const {
    runQueued();
    if (m_periodic) m_periodic();
}

}  // namespace ib::win32
