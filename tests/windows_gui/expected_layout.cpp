#include "expected_layout.h"

#include <stdexcept>
#include <string_view>

#include "app/control_table.h"

namespace ib::probe {
namespace {

using K = ControlKind;

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

// The window class of each kind of control, and the style bits that tell it
// from the others of its class.
void setShape(ControlKind kind, ExpectedControl& control) {
    struct Shape {
        const char* className;
        DWORD typeMask;
        std::vector<DWORD> types;
    };
    const Shape shape = [kind]() -> Shape {
        switch (kind) {
            case K::Picture: return {"Static", SS_TYPEMASK, {SS_BITMAP}};
            case K::StatusLine: return {"Static", 0, {0}};
            // The default button's look moves to a push button with the focus.
            case K::DefaultButton:
            case K::Button: return {"Button", BS_TYPEMASK, {BS_PUSHBUTTON, BS_DEFPUSHBUTTON}};
            case K::Text: return {"Static", SS_TYPEMASK, {SS_LEFT}};
            case K::CentredText: return {"Static", SS_TYPEMASK, {SS_CENTER}};
            case K::Edit: return {"Edit", ES_MULTILINE, {0}};
            case K::NumberEdit: return {"Edit", ES_RIGHT | ES_MULTILINE, {ES_RIGHT}};
            case K::CheckBox: return {"Button", BS_TYPEMASK, {BS_CHECKBOX, BS_AUTOCHECKBOX}};
            case K::ComboBox: return {"ComboBox", 0x3, {CBS_DROPDOWN}};
            case K::BlackFrame: return {"Static", SS_TYPEMASK, {SS_BLACKFRAME}};
            case K::GroupBox: return {"Button", BS_TYPEMASK, {BS_GROUPBOX}};
        }
        return {"", 0, {0}};
    }();
    control.className = shape.className;
    control.typeMask = shape.typeMask;
    control.types = shape.types;
}

// Kinds whose text is the table's; the others show values or a picture.
bool showsTableText(ControlKind kind) {
    return kind == K::DefaultButton || kind == K::Button || kind == K::Text || kind == K::CentredText ||
           kind == K::CheckBox || kind == K::GroupBox;
}

ExpectedControl fromTable(HWND dialog, const ControlSpec& row) {
    ExpectedControl control;
    control.id = row.id;
    control.name = (row.id == kNoId ? std::string("control") : "control " + std::to_string(row.id)) +
                   (*row.text ? " \"" + std::string(row.text) + "\"" : std::string());
    setShape(row.kind, control);
    if (showsTableText(row.kind)) control.text = row.text;
    control.rect = pixelsOf(dialog, row.rect);
    control.place = row.kind == K::ComboBox ? PlaceCheck::WithoutHeight : PlaceCheck::Whole;
    control.inServicePanel = inServicePanel(row);
    control.isDefaultButton = row.kind == K::DefaultButton;
    return control;
}

// The service panel's controls that are not in the table: the log, its save
// button, and the transfer bar filling the row under the log left of the
// button, 4 units from it.
std::vector<ExpectedControl> servicePanelExtras(HWND dialog) {
    constexpr int kGap = 4;
    const DialogRect bar{kServiceLogRect.x, kSaveLogButtonRect.y, kSaveLogButtonRect.x - kServiceLogRect.x - kGap,
                         kSaveLogButtonRect.height};
    return {
        {std::nullopt, "the service log", "Edit", ES_MULTILINE | ES_READONLY, {ES_MULTILINE | ES_READONLY},
         std::nullopt, pixelsOf(dialog, kServiceLogRect), PlaceCheck::Whole, true},
        {std::nullopt, "\"Save log...\"", "Button", BS_TYPEMASK, {BS_PUSHBUTTON, BS_DEFPUSHBUTTON}, "Save log...",
         pixelsOf(dialog, kSaveLogButtonRect), PlaceCheck::Whole, true},
        {std::nullopt, "the transfer bar", "msctls_progress32", 0, {0}, std::nullopt, pixelsOf(dialog, bar),
         PlaceCheck::Whole, true},
    };
}

SIZE sizeOf(HWND dialog, const DialogRect& units) {
    const RECT rect = pixelsOf(dialog, units);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

ExpectedLayout expectedLayout() {
    const std::vector<WORD> dialogTemplate = hiddenDialogTemplate();
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
                                             ignoreMessages, 0);
    if (!dialog) throw std::runtime_error("the hidden dialog was not created");
    ExpectedLayout expected;
    for (const ControlSpec& row : mainDialogControls()) expected.controls.push_back(fromTable(dialog, row));
    for (ExpectedControl& extra : servicePanelExtras(dialog)) expected.controls.push_back(std::move(extra));
    expected.client = sizeOf(dialog, kClientArea);
    expected.clientWithServicePanel = sizeOf(dialog, kClientAreaWithServicePanel);
    DestroyWindow(dialog);
    return expected;
}

}  // namespace ib::probe
