// What an operation tells people and asks of the dialog while it runs: the
// status line, step messages, message boxes, transfer progress, the operation
// buttons, the recorder's presence, file choosers, and the few bound values an
// operation changes on its way. The controller implements it; operations
// never reach the dialog's fields any other way. Calls come from the thread
// that runs the operation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "device/general_storage_cmd.h"
#include "operation/file_chooser_request.h"
#include "operation/message_box_kind.h"

namespace ib {

// The register fields as the view holds them once copied in.
struct RegisterTexts {
    std::string readAddress;
    std::string writeAddress;
    std::string writeValue;
};

// The two paths a chooser answer is remembered for (bound value and user profile).
enum class RememberedPath { RawFile, SdImage };

class OperationReporter {
public:
    virtual ~OperationReporter() = default;

    // ---- Status line, messages, progress ---------------------------------
    // Text, percent and bar colours; repaints at once.
    virtual void setProgress(const std::string& text, int percent, std::uint32_t doneColour,
                             std::uint32_t restColour) = 0;
    // The text colour only; it shows at the next repaint.
    virtual void setProgressTextColour(std::uint32_t colour) = 0;
    // A step message written as the status control's text.
    virtual void showStepMessage(const std::string& text) = 0;
    // A modal message box; returns when it has been closed.
    virtual void messageBox(const std::string& text, MessageBoxKind kind = MessageBoxKind::Error) = 0;
    // Bytes moved by a bulk transfer so far.
    virtual void transferProgress(std::uint64_t done, std::uint64_t total) = 0;
    // The usual end of a failed device step: the error box, then whether the recorder is still there.
    void messageBoxThenPresence(const std::string& text) {
        messageBox(text);
        refreshDevicePresence();
    }

    // ---- Controls and presence ---------------------------------------------
    virtual void enableOperationButtons(bool enable) = 0;
    // Looks for the recorder and shows on the status line whether it is there.
    virtual void refreshDevicePresence() = 0;
    // Off while the recorder is expected to leave and return (the updater download).
    virtual void setDeviceEventsEnabled(bool enabled) = 0;
    // The next removal leaves the status line as it is (the full update's closing words stay).
    virtual void keepStatusOnNextRemoval() = 0;
    // A file chooser; nullopt when cancelled.
    virtual std::optional<std::string> chooseFile(const FileChooserRequest& request) = 0;

    // ---- Bound values an operation changes ---------------------------------
    // Copies the view the operation was started with into the bound values
    // (register access does so only once the recorder is open; validation
    // messages show then) and returns the register fields.
    virtual RegisterTexts copyViewIn() = 0;
    // The value a register read gave, shown in its field.
    virtual void showReadRegisterValue(const std::string& value) = 0;
    // A read-back shortened to the end of its area: the size field shows the new count.
    virtual void shortenReadBack(StorageArea area, std::uint32_t count) = 0;
    // A chosen path becomes the bound value and the view shows it.
    virtual void rememberChosenPath(RememberedPath which, const std::string& path) = 0;
};

}  // namespace ib
