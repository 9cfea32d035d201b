#include "win32/banner_view.h"

namespace ib::win32 {
namespace {

HWND bitmapStatic(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        ::GetClassNameW(child, name, 16);
        if (::lstrcmpiW(name, L"Static") == 0 && (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

}  // namespace

HBITMAP scaledBitmap(HBITMAP picture, SIZE size) {
    BITMAP source{};
    if (!picture || !::GetObjectW(picture, sizeof source, &source)) return nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen);
    HDC to = ::CreateCompatibleDC(screen);
    HBITMAP scaled = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
    if (scaled) {
        HGDIOBJ fromBefore = ::SelectObject(from, picture);
        HGDIOBJ toBefore = ::SelectObject(to, scaled);
        // Each target pixel averages the source pixels it covers.
        ::SetStretchBltMode(to, HALFTONE);
        ::SetBrushOrgEx(to, 0, 0, nullptr);
        ::StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
        ::SelectObject(to, toBefore);
        ::SelectObject(from, fromBefore);
    }
    ::DeleteDC(to);
    ::DeleteDC(from);
    ::ReleaseDC(nullptr, screen);
    return scaled;
}

BannerView::~BannerView() {
    if (m_shown) ::DeleteObject(m_shown);
    if (m_picture) ::DeleteObject(m_picture);
}

void BannerView::attach(HWND dialog, HBITMAP picture, const RECT& place) {
    m_picture = picture;
    m_shown = scaledBitmap(picture, {place.right - place.left, place.bottom - place.top});
    HWND control = bitmapStatic(dialog);
    if (!control || !m_shown) return;
    // The control's own copy of the picture, loaded from the template, is ours once replaced.
    const auto before = ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_shown));
    if (before) ::DeleteObject(reinterpret_cast<HGDIOBJ>(before));
    ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ib::win32
