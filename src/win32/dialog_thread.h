// The dialog's thread (the one that made this object) as other threads reach
// it: a posted call waits in a queue of our own and runs there, in the order
// posted, when the dialog's window is woken by a private WM_APP message or at
// its periodic timer. A full message queue thus only delays a call, never
// drops it. Calls made on the dialog's thread run at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

namespace ib::win32 {

// The message that wakes the dialog to run the queued calls.
inline constexpr UINT kPostedCallMessage = WM_APP + 1;
// The dialog's timer for the periodic call, and its period.
inline constexpr UINT_PTR kPeriodicTimer = 0x1B;
inline constexpr UINT kPeriodMs = 30;

class DialogThread {
public:
    DialogThread() : m_threadId(::GetCurrentThreadId()) {}

    // From now on posted calls go to `dialog`; null: they are refused, and
    // those still queued are dropped unrun (the window is being destroyed).
    void attach(HWND dialog);
    HWND window() const { return m_window; }
    bool isCurrent() const;

    // Runs `call` on the dialog's thread without waiting; false (and the call
    // dropped) when there is no dialog window to take it.
    bool post(std::function<void()> call) const;

    // Runs `call` on the dialog's thread and returns its result; a default
    // result when the dialog is gone before it could run.
    template <typename Call>
    auto ask(Call call) const -> decltype(call()) {
        using Result = decltype(call());
        if (isCurrent()) return call();
        // The queued call holds the only promise: dropped unrun, it breaks it.
        auto answer = std::make_shared<std::promise<Result>>();
        auto result = answer->get_future();
        if (!post([answer = std::move(answer), call] { answer->set_value(call()); })) return Result{};
        try {
            return result.get();
        } catch (const std::future_error&) {
            return Result{};  // dropped unrun with the window
        }
    }

    // A call the dialog makes on its thread every kPeriodMs while it is open,
    // at its timer's message, which comes only when no other message waits;
    // null: none. Set while no dialog runs.
    void setPeriodic(std::function<void()> call) { m_periodic = std::move(call); }
    // The dialog's handling of its timer: the queued calls (a wake-up that
    // did not fit in the message queue was lost), then the periodic call.
    void runPeriodic() const;

    // The dialog's handling of kPostedCallMessage: runs the queued calls, one
    // by one, so that calls queued by a call that waits in a message loop of
    // its own (a message box) run in order.
    void runQueued() const;

private:
    std::atomic<HWND> m_window = nullptr;
    std::function<void()> m_periodic;
    const DWORD m_threadId;
    mutable std::mutex m_mutex;
    mutable std::deque<std::function<void()>> m_queued;
};

}  // namespace ib::win32
