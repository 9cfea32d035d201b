// The main dialog's behaviour, the same for every face: the exchange between
// the bound controls and the controller's values, the start-up, the reaction
// to each control and closing while an operation runs. A face builds the
// controls from the control table, forwards clicks here and draws; the rest
// happens here.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "app/dialog_controls.h"
#include "app/dialog_values.h"
#include "app/image_burner_controller.h"
#include "app/operation.h"

namespace ib {

inline constexpr const char* kDialogTitle = "VELTRAX VT-RD70";
// The system menu's entries: the about box (string 101, command 16) and the service panel.
inline constexpr const char* kAboutEntry = "&About ImageBurner...";
inline constexpr int kAboutCommand = 16;
inline constexpr const char* kServiceEntry = "&Service";
inline constexpr const char* kCloseWhileBusyQuestion = "An operation is running. Close when it has finished?";

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
    // An operation has finished. True: a close was asked for and is due now.
    bool operationFinished() const { return m_closeWhenFinished; }

private:
    void onConfigureBootArea();
    void browse(bool binFile);
    void setBootSizeControlsEnabled(bool enabled);

    DialogControls& m_controls;
    CImageBurnerDlg* m_controller = nullptr;
    bool m_closeWhenFinished = false;
};

}  // namespace ib
