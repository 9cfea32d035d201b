// Measures the main dialog's thread from inside, while it runs: a thread timer
// asks for WM_TIMER every kTickMs, and the longest gap between two handled
// ones tells how long the thread was kept from its queue; the status line's
// WM_PAINT handling is timed, as the share of the thread's work that goes to
// status repaints. Created on the thread that will run the dialog, before the
// dialog exists: a message hook finds the dialog when it shows.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace ib::bench {

inline constexpr UINT kTickMs = 10;

struct DialogThreadFigures {
    double elapsedMs = 0;
    std::uint64_t ticks = 0;
    double longestGapMs = 0;
    std::uint64_t repaints = 0;
    double repaintMs = 0;
    double threadCpuMs = 0;  // user and kernel time of the dialog's thread
};

class DialogThreadMeter {
public:
    DialogThreadMeter();
    ~DialogThreadMeter();
    DialogThreadMeter(const DialogThreadMeter&) = delete;
    DialogThreadMeter& operator=(const DialogThreadMeter&) = delete;

    // The dialog, once it has shown itself; null before. Any thread.
    HWND dialog() const { return m_dialog.load(); }
    // The measured span, from any thread.
    void start();
    DialogThreadFigures stop();

private:
    using Clock = std::chrono::steady_clock;
    static LRESULT CALLBACK onMessage(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD);
    static LRESULT CALLBACK timedStatusProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR id, DWORD_PTR data);
    void attach(HWND dialog);
    double threadCpuMs() const;

    HHOOK m_hook = nullptr;
    HANDLE m_thread = nullptr;
    std::atomic<HWND> m_dialog{nullptr};
    UINT_PTR m_timer = 0;
    mutable std::mutex m_mutex;  // the figures below
    bool m_measuring = false;
    Clock::time_point m_start, m_lastTick;
    double m_startCpuMs = 0;
    DialogThreadFigures m_figures;
};

}  // namespace ib::bench
