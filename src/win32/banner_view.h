// The banner: the picture drawn to its control's size, which follows the
// dialog font's size (larger at 150 % scaling), smoothly scaled once when the
// dialog starts. The control, a bitmap STATIC, takes the size of its bitmap.
#pragma once

#include <windows.h>

namespace ib::win32 {

class BannerView {
public:
    BannerView() = default;
    ~BannerView();
    BannerView(const BannerView&) = delete;
    BannerView& operator=(const BannerView&) = delete;

    // Shows `picture` (owned here) in the dialog's bitmap STATIC at `place`,
    // in the dialog's pixels.
    void attach(HWND dialog, HBITMAP picture, const RECT& place);

private:
    HBITMAP m_picture = nullptr;
    HBITMAP m_shown = nullptr;
};

// `picture` smoothly scaled to `size`, a new bitmap; null when it cannot be made.
HBITMAP scaledBitmap(HBITMAP picture, SIZE size);

}  // namespace ib::win32
