// The main dialog's controls, one row each, in the order of the layout:
// control number, kind, text, rectangle in dialog units and initial state.
// Every face builds its dialog from this one table: the Qt face converts the
// rectangles with its font's base units, the Win32 face hands them to Windows
// in a dialog template.
#pragma once

#include <span>

namespace ib {

// A rectangle in dialog units: x, y, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const DialogRect&) const = default;
};

enum class ControlKind {
    Picture,        // the banner
    StatusLine,     // the custom-painted status line
    DefaultButton,  // the start button, pressed by Enter
    Button,
    Text,
    CentredText,
    Edit,
    NumberEdit,     // right-aligned
    CheckBox,
    ComboBox,       // editable, with an unsorted list
    BlackFrame,
    GroupBox,
};

// Controls without a number of their own.
inline constexpr int kNoId = -1;

// Control numbers the dialog reacts to.
namespace control {
inline constexpr int Start = 1;
inline constexpr int ReadRegister = 1005;
inline constexpr int ReadRegisterAddress = 1006;
inline constexpr int ReadRegisterValue = 1007;
inline constexpr int WriteRegister = 1008;
inline constexpr int WriteRegisterAddress = 1009;
inline constexpr int WriteRegisterValue = 1010;
inline constexpr int ReadBootArea = 1012;
inline constexpr int ConfigureBootArea = 1013;
inline constexpr int StorageType = 1014;
inline constexpr int ChangeBootSize = 1015;
inline constexpr int BootSize = 1016;
inline constexpr int BootSizeUnit = 1017;
inline constexpr int Status = 1018;
inline constexpr int BootReadAddress = 1019;
inline constexpr int ConfigureUserAreaButton = 1020;
inline constexpr int ConfigureUserAreaCheck = 1021;
inline constexpr int FirmwareNumber = 1022;
inline constexpr int BootReadSize = 1023;
inline constexpr int SyncDevice = 1024;
inline constexpr int ReadUserArea = 1025;
inline constexpr int UserReadAddress = 1026;
inline constexpr int UserReadSize = 1027;
inline constexpr int LowLevelFormat = 1031;
inline constexpr int RawWrite = 1037;
inline constexpr int BrowseRawFile = 1039;
inline constexpr int RawPath = 1040;
inline constexpr int CreateSdImage = 1041;
inline constexpr int BinPath = 1046;
inline constexpr int BrowseBinFile = 1047;
}  // namespace control

enum class ControlState { Enabled, Disabled };

struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    DialogRect rect;
    ControlState initial = ControlState::Enabled;
};

// The controls below the visible client area (the service panel).
bool inServicePanel(const ControlSpec& spec);
// Frames and group boxes only decorate: they lie under the controls they
// surround, so that clicks reach those controls.
bool isDecoration(ControlKind kind);

// The visible area first, then the service panel below it.
std::span<const ControlSpec> mainDialogControls();

// What assistive technology reads for a control whose own text does not say
// it: the name from its label, and for controls whose labels repeat, the
// group it belongs to as the description.
struct AccessibleText {
    int id;
    const char* name;
    const char* description;
};
std::span<const AccessibleText> accessibleTexts();

// The client area without and with the service panel, in dialog units.
inline constexpr DialogRect kClientArea{0, 0, 329, 140};
inline constexpr DialogRect kClientAreaWithServicePanel{0, 0, 565, 384};
// The technician's log beside the service panel, and its save button.
inline constexpr DialogRect kServiceLogRect{365, 144, 196, 216};
inline constexpr DialogRect kSaveLogButtonRect{461, 364, 100, 16};

// The about box: client area, icon, text line and "OK".
inline constexpr DialogRect kAboutClientArea{0, 0, 203, 54};
inline constexpr DialogRect kAboutIconRect{11, 17, 20, 20};
inline constexpr DialogRect kAboutTextRect{43, 25, 119, 8};
inline constexpr DialogRect kAboutOkRect{140, 22, 50, 14};
// The least room between the text and what lies right of and below it.
inline constexpr int kAboutTextGap = 4;

}  // namespace ib
