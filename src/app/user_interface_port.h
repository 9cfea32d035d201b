// The one way operations talk to people. The GUI, the command line and the
// tests each implement this port; the controller never knows which one it
// drives. Implementations must accept calls from worker threads (the GUI
// marshals them to its own thread, keeping their order).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "operation/file_chooser_request.h"
#include "operation/message_box_kind.h"
#include "operation/status_colours.h"
#include "app/dialog_values.h"
#include "app/operation.h"

namespace ib {

// What the status line shows: a text centred over a bar filled to `percent`.
struct StatusState {
    std::string text = "Welcome";
    int percent = 50;  // always 0..100
    std::uint32_t doneColour = kBlue;
    std::uint32_t restColour = kGrey;
    std::uint32_t textColour = kGreen;

    bool operator==(const StatusState&) const = default;
};

// Controls other than the operation buttons that a view may lock.
enum class ControlId : int {
    StorageCombo = 1014,
    FirmwareCombo = 1022,
    ConfigUserCheck = 1021,
    ConfigUserButton = 1020,
    ReadRegisterButton = 1005,
    WriteRegisterButton = 1008,
    ReadBootButton = 1012,
    ReadUserButton = 1025,
};

// The yes-or-no questions an operation asks on its way.
enum class Question {
    UnmountStorage,  // the recorder's storage is mounted: unmount it and go on?
};

class UserInterfacePort {
public:
    virtual ~UserInterfacePort() = default;
    // Repaints the status line with this state.
    virtual void renderStatus(const StatusState& state) = 0;
    // A status that a newer one replaced before the status line could be
    // repainted (a window paints only the latest): not painted, but kept
    // wherever every status is kept, as the service log does. Nothing here.
    virtual void statusPassedOver(const StatusState&) {}
    // A short step message written as the status control's own text; it shows
    // until the status line is repainted.
    virtual void showStepMessage(const std::string& text) = 0;
    // A step message that warns: the work goes on, but the user should know
    // (a configuration that is read otherwise than it looks). Shown like a step
    // message unless a face has a place of its own for it (the command line
    // prints it on standard error, the window shows a warning box).
    virtual void showWarning(const std::string& text) { showStepMessage(text); }
    // A modal message box; returns when the user has closed it.
    virtual void showMessageBox(MessageBoxKind kind, const std::string& text) = 0;
    // A yes-or-no question in `text`; true for yes. The window asks the
    // person, the command line answers from its options; a face with no one
    // to ask says no.
    virtual bool askYesNo(Question /*question*/, const std::string& /*text*/) { return false; }
    // The eight operation buttons, all together.
    virtual void setOperationButtonsEnabled(bool enabled) = 0;
    virtual void setControlEnabled(ControlId control, bool enabled) = 0;
    // A file chooser; nullopt when the user cancelled. With several files
    // chosen, the first.
    virtual std::optional<std::string> chooseFile(const FileChooserRequest& request) = 0;
    // The controls show these values now (an operation wrote fields back).
    virtual void showValues(const DialogValues& values) = 0;
    // Bytes moved by a bulk transfer so far (progress bars with speed and
    // time left); the status texts are unaffected.
    virtual void transferProgress(std::uint64_t done, std::uint64_t total) = 0;
    // An operation has ended with this result (1 success, 0 failure, also for
    // one stopped by an exception). Sent once for every operation that
    // started, from the thread that ran it, after the controller is free for
    // the next one; a start refused while another runs sends nothing.
    virtual void operationFinished(Operation op, std::uint32_t result) = 0;
};

}  // namespace ib
