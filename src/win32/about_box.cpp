#include "win32/about_box.h"

#include <string>

#include "app/build_version.h"
#include "app/control_table.h"
#include "platform/windows/wide_text.h"
#include "win32/dialog_geometry.h"
#include "win32/main_dialog_template.h"

namespace ib::win32 {
namespace {

constexpr int kTextId = 1200;

std::wstring aboutText() {
    return L"ImageBurner, the VT-RD70 firmware updater tool\nVersion " +
           platform::wideFromUtf8(std::string(app::kVersionText));
}

TemplateDialog aboutTemplate() {
    TemplateDialog dialog;
    dialog.title = L"About";
    dialog.style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.rect = kAboutClientArea;
    dialog.fontName = kDialogFont;
    dialog.fontPoints = kDialogFontPoints;
    dialog.items = {
        {kNoId, L"STATIC", kIconResource, SS_ICON | SS_REALSIZECONTROL | WS_VISIBLE, 0, kAboutIconRect},
        {kTextId, L"STATIC", aboutText(), SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 0, kAboutTextRect},
        {IDOK, L"BUTTON", std::wstring(L"OK"), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, kAboutOkRect},
    };
    return dialog;
}

// The text wraps in the room left of "OK", as many lines as it needs; the box
// grows when they do not fit.
void fitText(HWND dialog) {
    HWND text = ::GetDlgItem(dialog, kTextId);
    RECT place = pixelsOf(dialog, kAboutTextRect);
    const RECT ok = pixelsOf(dialog, kAboutOkRect);
    const RECT gap = pixelsOf(dialog, {0, 0, kAboutTextGap, kAboutTextGap});
    place.right = ok.left - gap.right;
    HDC dc = ::GetDC(text);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(text, WM_GETFONT, 0, 0)));
    const std::wstring shown = aboutText();
    RECT extent = place;
    ::DrawTextW(dc, shown.c_str(), -1, &extent, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(text, dc);
    place.bottom = place.top + (extent.bottom - extent.top);
    ::MoveWindow(text, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);

    RECT client;
    ::GetClientRect(dialog, &client);
    if (place.bottom + gap.bottom > client.bottom) setClientSize(dialog, {client.right, place.bottom + gap.bottom});
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        fitText(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void showAboutBox(HINSTANCE instance, HWND owner) {
    const auto bytes = buildDialogTemplate(aboutTemplate());
    ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner, aboutProcedure, 0);
}

}  // namespace ib::win32
