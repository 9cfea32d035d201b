// The dialog's thread (the one that made this object) as other threads reach
// it: a call posted to the dialog's window (a private WM_APP message carrying
// the call on the heap) runs there, in the order posted. Calls made on the
// dialog's thread run at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>

namespace ib::win32 {

// The message that carries a posted call.
inline constexpr UINT kPostedCallMessage = WM_APP + 1;
// The dialog's timer for the periodic call, and its period.
inline constexpr UINT_PTR kPeriodicTimer = 0x1B;
inline constexpr UINT kPeriodMs = 30;

class DialogThread {
public:
    DialogThread() : m_threadId(::GetCurrentThreadId()) {}

    // From now on posted calls go to `dialog`; null: they are dropped.
    void attach(HWND dialog) { m_window = dialog; }
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
        // The posted call holds the only promise: dropped unrun, it breaks it.
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
    void runPeriodic() const {
        if (m_periodic) m_periodic();
    }

    // The dialog's handling of kPostedCallMessage: runs the call.
    static void runPosted(LPARAM call);
    // Drops the calls still queued for `dialog` (it is being destroyed).
    static void dropQueued(HWND dialog);

private:
    std::atomic<HWND> m_window = nullptr;
    std::function<void()> m_periodic;
    const DWORD m_threadId;
};

}  // namespace ib::win32
