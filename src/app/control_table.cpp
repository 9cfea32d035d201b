#include "app/control_table.h"

namespace ib {
namespace {

using K = ControlKind;

constexpr ControlSpec kControls[] = {
    // The visible area.
    {kNoId, K::Picture, "banner", {34, 12, 258, 41}},
    {1018, K::StatusLine, "", {33, 54, 257, 25}},
    {1, K::DefaultButton, "Rozpocznij proces aktualizacji oprogramowania", {33, 83, 260, 37}},
    {kNoId, K::CentredText,
     "Uwaga! Jakiekolwiek zmiany dokonane w plikach dostarczonych z aktualizatorem mogą spowodować trwałe "
     "uszkodzenie rejestratora.",
     {7, 121, 313, 18}},
    {kNoId, K::Text, "VT-RD70 Firmware updater", {187, 2, 107, 9}},
    // The service panel, below the client area.
    {kNoId, K::Text, "_AT_", {119, 262, 19, 11}},
    {1005, K::Button, "Read Register", {15, 256, 97, 19}},
    {1006, K::Edit, "", {142, 256, 62, 18}},
    {1007, K::Edit, "", {232, 258, 25, 18}},
    {1008, K::Button, "Write Register", {16, 279, 97, 19}},
    {kNoId, K::Text, "_AT_", {121, 287, 17, 11}},
    {1009, K::Edit, "", {143, 279, 61, 18}},
    {1010, K::Edit, "", {232, 278, 26, 18}},
    {1013, K::CheckBox, "Configure Boot Area", {13, 146, 86, 13}},
    {1014, K::ComboBox, "", {14, 164, 74, 71}},
    {1015, K::CheckBox, "Change Boot Size (moviNAND only)", {133, 144, 126, 13}, ControlState::Disabled},
    {1016, K::NumberEdit, "", {132, 157, 32, 12}, ControlState::Disabled},
    {1017, K::Text, "x 4MB", {168, 157, 41, 11}, ControlState::Disabled},
    {1012, K::Button, "Read boot area", {15, 182, 57, 19}},
    {1019, K::NumberEdit, "", {102, 188, 33, 15}},
    {kNoId, K::Text, "to C:\\BootArea.bin", {199, 186, 60, 15}},
    {1020, K::Button, "Configure User Area + Format", {14, 225, 176, 21}},
    {kNoId, K::BlackFrame, "", {1, 222, 353, 96}},
    {kNoId, K::BlackFrame, "", {1, 251, 353, 55}},
    {1021, K::CheckBox, "Configure User Area + Format", {14, 173, 105, 11}},
    {1022, K::ComboBox, "", {131, 172, 31, 42}},
    {kNoId, K::Text, "select firmware number", {170, 172, 82, 11}},
    {1023, K::NumberEdit, "", {162, 186, 33, 15}},
    {1025, K::Button, "Read user area", {15, 201, 57, 19}},
    {1026, K::NumberEdit, "", {102, 205, 33, 15}},
    {1027, K::NumberEdit, "", {162, 204, 33, 15}},
    {kNoId, K::Text, "to C:\\UserArea.bin", {198, 204, 60, 14}},
    {kNoId, K::Text, "ADDR", {74, 199, 22, 15}},
    {kNoId, K::Text, "SIZE", {140, 199, 20, 15}},
    {1024, K::Button, "Sync. Device", {201, 225, 65, 21}},
    {kNoId, K::Text, "=", {210, 258, 13, 15}},
    {kNoId, K::Text, "=", {210, 280, 13, 15}},
    {kNoId, K::GroupBox, "", {7, 364, 353, 15}},
    {1031, K::Button, "LowLevelFormat", {272, 224, 82, 21}},
    {1037, K::Button, "Raw Write", {15, 316, 60, 16}},
    {1039, K::Button, "Browse...", {289, 316, 50, 14}},
    {1040, K::Edit, "", {84, 316, 198, 14}},
    {1041, K::Button, "Create SIF Bin", {14, 334, 60, 16}},
    {1046, K::Edit, "", {84, 336, 198, 14}},
    {1047, K::Button, "Browse...", {288, 335, 50, 14}},
};

constexpr AccessibleText kAccessibleTexts[] = {
    {1006, "Register address", "Read Register"},
    {1007, "Register value", "Read Register"},
    {1009, "Register address", "Write Register"},
    {1010, "Register value", "Write Register"},
    {1014, "Storage type", ""},
    {1016, "Boot size", "x 4MB"},
    {1019, "Read address", "Read boot area"},
    {1023, "Read size", "Read boot area"},
    {1022, "Firmware number", ""},
    {1026, "Read address", "Read user area"},
    {1027, "Read size", "Read user area"},
    {1039, "Browse for raw image", ""},
    {1040, "Raw image file", "Raw Write"},
    {1046, "SD image file", "Create SIF Bin"},
    {1047, "Browse for SD image file", ""},
};

}  // namespace

std::span<const ControlSpec> mainDialogControls() { return kControls; }

bool inServicePanel(const ControlSpec& spec) { return spec.rect.y >= kClientArea.height; }

bool isDecoration(ControlKind kind) { return kind == ControlKind::BlackFrame || kind == ControlKind::GroupBox; }

std::span<const AccessibleText> accessibleTexts() { return kAccessibleTexts; }

}  // namespace ib
