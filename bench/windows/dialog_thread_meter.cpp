#include "dialog_thread_meter.h"

#include <commctrl.h>

#include <algorithm>

namespace ib::bench {
namespace {

// The hook, the timer and the subclass procedures have no context of their own.
DialogThreadMeter* g_meter = nullptr;

constexpr int kStatusLine = 1018;
constexpr UINT_PTR kSubclassId = 0x7E57;

double msBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double msOf(const FILETIME& time) {
    return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
}

}  // namespace

DialogThreadMeter::DialogThreadMeter() {
    g_meter = this;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &m_thread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    m_hook = ::SetWindowsHookExW(WH_GETMESSAGE, onMessage, nullptr, ::GetCurrentThreadId());
}

DialogThreadMeter::~DialogThreadMeter() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
    if (m_timer) ::KillTimer(nullptr, m_timer);
    if (m_thread) ::CloseHandle(m_thread);
    g_meter = nullptr;
}

LRESULT CALLBACK DialogThreadMeter::onMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && g_meter && !g_meter->dialog() && message.hwnd) {
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (::GetDlgItem(root, kStatusLine)) g_meter->attach(root);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogThreadMeter::attach(HWND dialog) {
    ::SetWindowSubclass(::GetDlgItem(dialog, kStatusLine), timedStatusProcedure, kSubclassId, 0);
    m_timer = ::SetTimer(nullptr, 0, kTickMs, onTick);
    m_dialog = dialog;
}

void CALLBACK DialogThreadMeter::onTick(HWND, UINT, UINT_PTR, DWORD) {
    std::lock_guard lock(g_meter->m_mutex);
    if (!g_meter->m_measuring) return;
    const auto now = Clock::now();
    g_meter->m_figures.longestGapMs = std::max(g_meter->m_figures.longestGapMs, msBetween(g_meter->m_lastTick, now));
    g_meter->m_lastTick = now;
    ++g_meter->m_figures.ticks;
}

LRESULT CALLBACK DialogThreadMeter::timedStatusProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                         UINT_PTR, DWORD_PTR) {
    if (message != WM_PAINT) return ::DefSubclassProc(window, message, wParam, lParam);
    const auto begin = Clock::now();
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    const auto end = Clock::now();
    std::lock_guard lock(g_meter->m_mutex);
    if (g_meter->m_measuring) {
        ++g_meter->m_figures.repaints;
        g_meter->m_figures.repaintMs += msBetween(begin, end);
    }
    return result;
}

double DialogThreadMeter::threadCpuMs() const {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(m_thread, &created, &exited, &kernel, &user)) return 0;
    return msOf(kernel) + msOf(user);
}

void DialogThreadMeter::start() {
    std::lock_guard lock(m_mutex);
    m_figures = {};
    m_start = m_lastTick = Clock::now();
    m_startCpuMs = threadCpuMs();
    m_measuring = true;
}

DialogThreadFigures DialogThreadMeter::stop() {
    std::lock_guard lock(m_mutex);
    m_measuring = false;
    m_figures.elapsedMs = msBetween(m_start, Clock::now());
    m_figures.threadCpuMs = threadCpuMs() - m_startCpuMs;
    return m_figures;
}

}  // namespace ib::bench
