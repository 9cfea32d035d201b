// Where the dialog's controls must lie and what they must be (every row of
// the control table, and the service panel's own controls: the log, its save
// button, the transfer bar), and the size of its client area. Rectangles are mapped from dialog units by
// Windows itself (MapDialogRect) in a hidden dialog of the probe's own with
// the main dialog's font: MapDialogRect cannot be asked about another
// process's dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace ib::probe {

// How much of the rectangle is compared: a combo box's height in the table
// covers its drop-down list.
enum class PlaceCheck { Whole, WithoutHeight };

struct ExpectedControl {
    std::optional<int> id;  // the control number; nullopt: any (the face numbers it)
    std::string name;       // for the differences
    std::string className;
    DWORD typeMask = 0;        // the style bits that tell the kind from others of its class
    std::vector<DWORD> types;  // any of these under the mask
    std::optional<std::string> text;
    RECT rect{};  // in client coordinates
    PlaceCheck place = PlaceCheck::Whole;
    bool inServicePanel = false;
    bool isDefaultButton = false;  // the one Enter presses
};

struct ExpectedLayout {
    std::vector<ExpectedControl> controls;
    SIZE client{};                   // the client area without the service panel
    SIZE clientWithServicePanel{};  // and with it
};

ExpectedLayout expectedLayout();

}  // namespace ib::probe
