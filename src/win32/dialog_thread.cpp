#include "win32/dialog_thread.h"

#include <memory>

namespace ib::win32 {

bool DialogThread::isCurrent() const { return m_threadId == ::GetCurrentThreadId(); }

bool DialogThread::post(std::function<void()> call) const {
    auto carried = std::make_unique<std::function<void()>>(std::move(call));
    HWND window = m_window;
    if (!window || !::PostMessageW(window, kPostedCallMessage, 0, reinterpret_cast<LPARAM>(carried.get())))
        return false;
    carried.release();  // the message owns it now
    return true;
}

void DialogThread::runPosted(LPARAM call) {
    const std::unique_ptr<std::function<void()>> carried(reinterpret_cast<std::function<void()>*>(call));
    (*carried)();
}

void DialogThread::dropQueued(HWND dialog) {
    MSG message;
    while (::PeekMessageW(&message, dialog, kPostedCallMessage, kPostedCallMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
}

}  // namespace ib::win32
