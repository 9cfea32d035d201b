// Where the dialog's keyboard focus goes, the same for every face: when the
// control that has it is disabled (the operation buttons during an operation
// or without a recorder), it moves to the next control in the tab order that
// can take it, or to the dialog itself when none can (never to the banner,
// where the keys reach nothing); when that control is enabled again, the
// focus returns to it unless the user has moved it since.
#pragma once

#include <span>

#include "app/control_table.h"
#include "app/dialog_controls.h"

namespace ib {

class KeyboardFocus {
public:
    explicit KeyboardFocus(DialogControls& controls) : m_controls(controls) {}

    // Enables or disables `ids`, moving the focus as said above.
    void setEnabled(std::span<const int> ids, bool enabled);
    // The focus at start-up: the start button, or where it would move from it.
    void focusStart();
    // The focus after the dialog took it back (activated, or given the focus
    // itself): where it rests on no control that can take it while one can,
    // it goes to the start button or where it would move from it.
    void keepUsable();

private:
    // The first control after `from` in the tab order (the table's, from the
    // top again after the last) that can take the focus; kNoId: none can.
    int nextAfter(int from) const;

    DialogControls& m_controls;
    // Where the focus was moved from when that control was disabled, and to
    // where; kNoId for the first when no move waits to be undone.
    int m_returnsTo = kNoId;
    int m_movedTo = kNoId;
};

}  // namespace ib
