// A dialog template (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items) built in
// memory, for DialogBoxIndirectParamW: the dialogs are laid out from tables at
// run time instead of from a resource script.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "app/control_table.h"

namespace ib::win32 {

// A control's text: a string, or a resource number (the bitmap of an
// SS_BITMAP static, the icon of an SS_ICON static).
using TemplateText = std::variant<std::wstring, std::uint16_t>;

struct TemplateItem {
    int id = kNoId;
    std::wstring windowClass;  // "BUTTON", "STATIC", "EDIT", "COMBOBOX", ...
    TemplateText text;
    DWORD style = 0;  // WS_CHILD is added
    DWORD exStyle = 0;
    DialogRect rect;
};

struct TemplateDialog {
    std::wstring title;
    DWORD style = 0;  // DS_SETFONT is added
    DWORD exStyle = 0;
    DialogRect rect;
    std::wstring fontName;
    std::uint16_t fontPoints = 8;
    std::vector<TemplateItem> items;
};

// The template's bytes. The vector's storage is aligned for DLGTEMPLATEEX;
// keep it alive while the dialog is created.
std::vector<std::uint32_t> buildDialogTemplate(const TemplateDialog& dialog);

}  // namespace ib::win32
