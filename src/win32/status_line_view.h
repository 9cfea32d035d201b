// The status line (control 1018): a sunken STATIC subclassed to paint the
// status with GDI from planStatusPaint. A step message is the control's own
// plain centred text until the next status comes; before the first status the
// control shows nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/user_interface_port.h"

namespace ib::win32 {

class StatusLineView {
public:
    StatusLineView() = default;
    ~StatusLineView();
    StatusLineView(const StatusLineView&) = delete;
    StatusLineView& operator=(const StatusLineView&) = delete;

    // Takes over the painting of `control`, tiling `pattern` (owned here) for
    // the pattern fill.
    void attach(HWND control, HBITMAP pattern);
    void showState(const StatusState& state);
    void showStepMessage(const std::string& text);

private:
    static LRESULT CALLBACK subclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR self);
    void paint(HDC dc) const;
    void showText(const std::string& text);

    HWND m_control = nullptr;
    HBRUSH m_patternBrush = nullptr;
    HBITMAP m_pattern = nullptr;
    std::optional<StatusState> m_state;  // none: nothing shown yet
    bool m_stepShown = false;
    std::wstring m_shownText;  // the control's text as last set
};

}  // namespace ib::win32
