#include "win32/dialog_shortcuts.h"

namespace ib::win32 {
namespace {

// The hook procedure has no context of its own: one dialog per thread has shortcuts.
thread_local const DialogShortcuts* t_shortcuts = nullptr;

bool isDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

}  // namespace

DialogShortcuts::DialogShortcuts(HWND dialog, WPARAM aboutCommand, WPARAM serviceCommand)
    : m_dialog(dialog), m_aboutCommand(aboutCommand), m_serviceCommand(serviceCommand) {
    t_shortcuts = this;
    m_hook = ::SetWindowsHookExW(WH_MSGFILTER, filter, nullptr, ::GetCurrentThreadId());
}

DialogShortcuts::~DialogShortcuts() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
    t_shortcuts = nullptr;
}

LRESULT CALLBACK DialogShortcuts::filter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && t_shortcuts && t_shortcuts->handle(*reinterpret_cast<const MSG*>(lParam)))
        return TRUE;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool DialogShortcuts::handle(const MSG& message) const {
    if (message.message != WM_KEYDOWN) return false;
    if (message.hwnd != m_dialog && !::IsChild(m_dialog, message.hwnd)) return false;
    WPARAM command = 0;
    if (message.wParam == 'S' && isDown(VK_CONTROL) && isDown(VK_SHIFT) && !isDown(VK_MENU))
        command = m_serviceCommand;
    else if (message.wParam == VK_F1)
        command = m_aboutCommand;
    if (command == 0) return false;
    ::PostMessageW(m_dialog, WM_SYSCOMMAND, command, 0);
    return true;
}

}  // namespace ib::win32
