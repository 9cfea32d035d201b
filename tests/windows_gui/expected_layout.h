// Where the dialog's controls must lie, in pixels: every row of the control
// table, and the service log with its save button, mapped from dialog units
// by Windows itself (MapDialogRect) in a hidden dialog of the probe's own
// with the main dialog's font. MapDialogRect cannot be asked about another
// process's dialog.
#pragma once

#include <windows.h>

#include <vector>

#include "app/control_table.h"

namespace ib::probe {

struct ExpectedControl {
    ControlSpec spec;
    RECT rect{};  // in client coordinates
};

std::vector<ExpectedControl> expectedLayout();

}  // namespace ib::probe
