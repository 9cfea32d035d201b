// The main dialog's behaviour, the same for every face: the exchange between
// the bound controls and the controller's values, the start-up, the reaction
// to each control and closing while an operation runs. A face builds the
// controls from the control table, forwards clicks here and draws; the rest
// happens here.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/dialog_controls.h"
#include "app/dialog_values.h"
#include "app/image_burner_controller.h"
#include "app/operation.h"
#include "operation/stop_request.h"

namespace ib {

inline constexpr const char* kDialogTitle = "VELTRAX VT-RD70";
inline constexpr const char* kCloseWhileBusyQuestion = "An operation is running. Close when it has finished?";
// Why the window holds back the end of the user's session while an operation runs.
inline constexpr const char* kSessionEndBlockReason = "Updating the recorder: do not switch off";
inline constexpr const char* kFolderWhileBusyMessage =
    "An operation is running. Choose the working folder when it has finished.";
inline constexpr const char* kFolderChooserTitle = "Working folder";

// The eight buttons that the device presence enables and disables together.
std::span<const int> operationButtons();
// The operation a button starts, if it starts one.
std::optional<Operation> operationOfButton(int id);
// The list entries of combo box `id`, in list order; none for another control.
std::span<const char* const> listEntries(int id);
// How the service log names an operation.
const char* operationName(Operation op);
// "<title> - <part of `folder` after the last `separator`>"; a folder without
// the separator leaves the title as it is, and a root ("C:\", "/") gives
// nothing after the dash.
std::string titleWithFolder(const std::string& title, const std::string& folder, char separator);

// The question a face asks in place of message `text` when the text says
// that the program lacks administrator rights: whether to start it again as
// administrator. nullopt for every other message.
std::optional<std::string> elevationQuestion(const std::string& text);

// What the bound controls hold now.
DialogValues readView(const DialogControls& controls);
// Writes the values into the controls; a combo box selects the first list
// entry that begins with its value (case ignored), else shows the value as text.
void writeView(DialogControls& controls, const DialogValues& values);

class MainDialogLogic {
public:
    explicit MainDialogLogic(DialogControls& controls) : m_controls(controls) {}

    // The dialog's start-up over `controller`, which must outlive its use
    // here. The title to show, or nullopt when the device notifications were
    // refused: the dialog then stays open without status line, presence,
    // paths or title.
    std::optional<std::string> startUp(CImageBurnerDlg& controller, const std::string& title);
    // Forgets the controller (it is being closed).
    void detach() { m_controller = nullptr; }

    // A click on control `id`: an operation button, a "Browse..." button or
    // the "Configure Boot Area" check box; other controls are ignored.
    void click(int id);

    // Escape or the close box. True: close now. While an operation runs,
    // `askUser` (the close question) decides whether the dialog closes once it
    // has finished.
    bool requestClose(const std::function<bool()>& askUser);
    // An operation has finished (the face has heard it). True: a close was
    // asked for and is due now.
    bool operationFinished() {
        m_endAwaited = false;
        return m_closeWhenFinished;
    }

    // The menu's "Working folder...": false, after a message, while an
    // operation runs (the folder changes only between operations).
    bool mayChooseWorkingFolder();
    // The folder chosen: remembered for the next start, and the arguments
    // (`arguments` without the program's name) to start the program again
    // there. nullopt, after a message, when the profile refused it.
    std::optional<std::vector<std::string>> workingFolderChosen(const std::filesystem::path& folder,
                                                                const std::vector<std::string>& arguments);
    // The working folder in use; empty before the start-up.
    std::filesystem::path workingFolder() const {
        return m_controller ? m_controller->workingDirectory() : std::filesystem::path();
    }
    // `arguments` for a start in the present working folder (a start with other rights).
    std::vector<std::string> argumentsHere(const std::vector<std::string>& arguments) const;

    // What stops a running operation at its next command: the end of the
    // user's session. The controller's operations are given it.
    StopRequest stopRequest() const { return StopRequest(m_stopRequested); }
    // Whether the user's session may end now: not while an operation runs.
    bool sessionMayEnd() const { return !m_controller || !m_controller->busy(); }
    // The session ends all the same: a running operation stops at its next
    // command, closing the recorder's session, and no message box opens any
    // more. The face then carries out the worker's calls while endAwaited().
    void endSession();
    // Since the session's end, the running operation has not yet been heard
    // to finish, and no box of the face is open. An open box holds back the
    // worker that asked for it (no command is then under way), and it could
    // not close before the wait for the worker ends.
    bool endAwaited() const { return m_endAwaited && m_openBoxes == 0; }
    // A message box or chooser of the face is open while the result lives.
    class OpenBox {
    public:
        explicit OpenBox(int& count) : m_count(count) { ++m_count; }
        ~OpenBox() { --m_count; }
        OpenBox(const OpenBox&) = delete;
        OpenBox& operator=(const OpenBox&) = delete;

    private:
        int& m_count;
    };
    [[nodiscard]] OpenBox boxOpened() { return OpenBox(m_openBoxes); }
    // The program is to end once the running operation has, without showing
    // its later messages (it starts again elsewhere).
    void leaveWhenFinished();
    // Message boxes and choosers are left out: the program is ending.
    bool leaving() const { return m_leaving; }
    bool operationRunning() const { return m_controller && m_controller->busy(); }

private:
    void onConfigureBootArea();
    void browse(bool binFile);
    void setBootSizeControlsEnabled(bool enabled);

    DialogControls& m_controls;
    CImageBurnerDlg* m_controller = nullptr;
    bool m_closeWhenFinished = false;
    bool m_leaving = false;
    bool m_endAwaited = false;
    int m_openBoxes = 0;
    std::atomic<bool> m_stopRequested{false};
};

}  // namespace ib
