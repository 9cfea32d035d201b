#include "win32/main_dialog_template.h"

#include <commctrl.h>

#include "app/main_dialog_logic.h"
#include "platform/windows/wide_text.h"

namespace ib::win32 {
namespace {

struct KindClass {
    const wchar_t* windowClass;
    DWORD style;
};

KindClass classOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Picture: return {L"STATIC", SS_BITMAP};
        case ControlKind::StatusLine: return {L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN};
        case ControlKind::DefaultButton: return {L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP};
        case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
        case ControlKind::Text: return {L"STATIC", SS_LEFT};
        case ControlKind::CentredText: return {L"STATIC", SS_CENTER};
        case ControlKind::Edit: return {L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
        case ControlKind::NumberEdit: return {L"EDIT", ES_AUTOHSCROLL | ES_RIGHT | WS_BORDER | WS_TABSTOP};
        case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP};
        case ControlKind::ComboBox: return {L"COMBOBOX", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP};
        case ControlKind::BlackFrame: return {L"STATIC", SS_BLACKFRAME};
        case ControlKind::GroupBox: return {L"BUTTON", BS_GROUPBOX};
    }
    return {L"STATIC", SS_LEFT};
}

TemplateItem hiddenExtra(int id, const wchar_t* windowClass, const wchar_t* text, DWORD style, DialogRect rect) {
    return {id, windowClass, std::wstring(text), style, 0, rect};
}

// The transfer bar: under the log, left of "Save log...", as high as the button.
DialogRect transferBarRect() {
    constexpr int gap = 4;
    return {kServiceLogRect.x, kSaveLogButtonRect.y, kSaveLogButtonRect.x - kServiceLogRect.x - gap,
            kSaveLogButtonRect.height};
}

}  // namespace

TemplateItem templateItemOf(const ControlSpec& spec) {
    const KindClass kind = classOf(spec.kind);
    TemplateItem item;
    item.id = spec.id;
    item.windowClass = kind.windowClass;
    if (spec.kind == ControlKind::Picture)
        item.text = kBannerResource;
    else
        item.text = platform::wideFromUtf8(spec.text);
    item.style = kind.style;
    if (!inServicePanel(spec)) item.style |= WS_VISIBLE;
    if (spec.initial == ControlState::Disabled) item.style |= WS_DISABLED;
    item.rect = spec.rect;
    return item;
}

TemplateDialog mainDialogTemplate() {
    TemplateDialog dialog;
    dialog.title = platform::wideFromUtf8(kDialogTitle);
    dialog.style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.exStyle = WS_EX_APPWINDOW;
    dialog.rect = kClientArea;
    dialog.fontName = kDialogFont;
    dialog.fontPoints = kDialogFontPoints;
    // Decorations last in the template: they lie under the controls they surround.
    for (bool decorations : {false, true})
        for (const ControlSpec& spec : mainDialogControls())
            if (isDecoration(spec.kind) == decorations) dialog.items.push_back(templateItemOf(spec));
    dialog.items.push_back(hiddenExtra(extra_control::ServiceLog, L"EDIT", L"",
                                       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER |
                                           WS_TABSTOP,
                                       kServiceLogRect));
    dialog.items.push_back(
        hiddenExtra(extra_control::SaveLog, L"BUTTON", L"Save log...", BS_PUSHBUTTON | WS_TABSTOP, kSaveLogButtonRect));
    dialog.items.push_back(hiddenExtra(extra_control::TransferBar, PROGRESS_CLASSW, L"", 0, transferBarRect()));
    return dialog;
}

}  // namespace ib::win32
