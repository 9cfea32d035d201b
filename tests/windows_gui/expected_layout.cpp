#include "expected_layout.h"

#include <stdexcept>
#include <string_view>

namespace ib::probe {
namespace {

// A dialog template of no controls with the main dialog's font: "MS Sans Serif", 8 points.
std::vector<WORD> hiddenDialogTemplate() {
    constexpr std::wstring_view kFace = L"MS Sans Serif";
    constexpr DWORD kStyle = DS_SETFONT | WS_POPUP;
    std::vector<WORD> words{LOWORD(kStyle), HIWORD(kStyle), 0, 0,  // style, extended style
                            0,                                      // no controls
                            0, 0, 100, 100,                         // x, y, width, height
                            0, 0, 0,                                // no menu, the dialog class, no title
                            8};                                     // the font's point size
    words.insert(words.end(), kFace.begin(), kFace.end());
    words.push_back(0);
    return words;
}

INT_PTR CALLBACK ignoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

RECT pixelsOf(HWND dialog, const DialogRect& units) {
    RECT rect{units.x, units.y, units.x + units.width, units.y + units.height};
    MapDialogRect(dialog, &rect);
    return rect;
}

}  // namespace

std::vector<ExpectedControl> expectedLayout() {
    const std::vector<WORD> dialogTemplate = hiddenDialogTemplate();
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
                                             ignoreMessages, 0);
    if (!dialog) throw std::runtime_error("the hidden dialog was not created");
    std::vector<ExpectedControl> expected;
    for (const ControlSpec& spec : mainDialogControls()) expected.push_back({spec, pixelsOf(dialog, spec.rect)});
    const ControlSpec log{kNoId, ControlKind::Edit, "", kServiceLogRect};
    const ControlSpec save{kNoId, ControlKind::Button, "Save log...", kSaveLogButtonRect};
    for (const ControlSpec& spec : {log, save}) expected.push_back({spec, pixelsOf(dialog, spec.rect)});
    DestroyWindow(dialog);
    return expected;
}

}  // namespace ib::probe
