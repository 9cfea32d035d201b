#include "win32/status_line_view.h"

#include <commctrl.h>

#include "app/status_painting.h"
#include "platform/windows/wide_text.h"

namespace ib::win32 {
namespace {

RECT rectOf(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void fillSolid(HDC dc, const PixelRect& where, std::uint32_t colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);  // 0x00BBGGRR is a COLORREF
    const RECT rect = rectOf(where);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

}  // namespace

StatusLineView::~StatusLineView() {
    if (m_control) ::RemoveWindowSubclass(m_control, subclassProcedure, 0);
    if (m_patternBrush) ::DeleteObject(m_patternBrush);
    if (m_pattern) ::DeleteObject(m_pattern);
}

void StatusLineView::attach(HWND control, HBITMAP pattern) {
    m_control = control;
    m_pattern = pattern;
    m_patternBrush = pattern ? ::CreatePatternBrush(pattern) : nullptr;
    ::SetWindowSubclass(control, subclassProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void StatusLineView::showState(const StatusState& state) {
    m_state = state;
    m_stepShown = false;
    showText(state.text);
}

void StatusLineView::showStepMessage(const std::string& text) {
    m_stepShown = true;
    showText(text);
}

// The control's own text is what is on show, for whoever reads the window's
// text; set only when it changes, as a static control draws its new text at
// once. The paint comes when the dialog's queue is empty, once for a burst.
void StatusLineView::showText(const std::string& text) {
    const std::wstring wide = platform::wideFromUtf8(text);
    if (wide != m_shownText) {
        ::SetWindowTextW(m_control, wide.c_str());
        m_shownText = wide;
    }
    ::InvalidateRect(m_control, nullptr, TRUE);
}

LRESULT CALLBACK StatusLineView::subclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                   DWORD_PTR self) {
    const auto& view = *reinterpret_cast<const StatusLineView*>(self);
    const bool painted = view.m_state && !view.m_stepShown;
    if (painted && message == WM_ERASEBKGND) return TRUE;  // the paint covers it all
    if (painted && message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        view.paint(dc);
        ::EndPaint(window, &paint);
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void StatusLineView::paint(HDC dc) const {
    RECT client;
    ::GetClientRect(m_control, &client);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(m_control, WM_GETFONT, 0, 0)));
    const std::wstring text = platform::wideFromUtf8(m_state->text);
    // The text's extent from the client's top-left corner; lines break at line feeds only.
    RECT extent = client;
    ::DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_LEFT | DT_TOP | DT_NOPREFIX);
    const StatusPaintPlan plan = planStatusPaint({client.left, client.top, client.right, client.bottom}, *m_state,
                                                 extent.right - extent.left, extent.bottom - extent.top);
    if (plan.doneFill == BarFill::TiledPattern && m_patternBrush) {
        const RECT done = rectOf(plan.done);
        ::FillRect(dc, &done, m_patternBrush);
    } else {
        fillSolid(dc, plan.done, plan.doneColour);
    }
    fillSolid(dc, plan.rest, plan.restColour);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, plan.textColour);
    RECT place = rectOf(plan.textPlace);
    ::DrawTextW(dc, text.c_str(), -1, &place, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_NOCLIP);
    ::SelectObject(dc, oldFont);
}

}  // namespace ib::win32
