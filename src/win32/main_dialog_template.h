// The main dialog's template, made from the control table: each kind of
// control as its Windows class and styles, the service panel's controls
// hidden, and the service log, its save button and the transfer bar beside
// the panel.
#pragma once

#include "win32/dialog_template.h"

namespace ib::win32 {

// Resource numbers of the program's pictures.
inline constexpr std::uint16_t kIconResource = 128;
inline constexpr std::uint16_t kBannerResource = 131;
inline constexpr std::uint16_t kPatternResource = 140;

// The controls the table does not hold: the service log, "Save log..." and
// the transfer bar.
namespace extra_control {
inline constexpr int ServiceLog = 1100;
inline constexpr int SaveLog = 1101;
inline constexpr int TransferBar = 1102;
}  // namespace extra_control

inline constexpr const wchar_t* kDialogFont = L"MS Sans Serif";
inline constexpr std::uint16_t kDialogFontPoints = 8;

// The window of `spec`: class name, styles, text.
TemplateItem templateItemOf(const ControlSpec& spec);

// Every control of the service panel starts hidden (without WS_VISIBLE), so
// no key reaches it until the panel is shown.
TemplateDialog mainDialogTemplate();

}  // namespace ib::win32
