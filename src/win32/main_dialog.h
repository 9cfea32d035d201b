// The main dialog as a native Win32 dialog: built from the control table at
// run time, it carries out the user-interface port's calls on its thread and
// hands clicks to the shared dialog logic. The system menu and the right
// click's menu hold the working folder, the about box and the service panel,
// which shows a time-stamped log of every status text, step message and
// message box. While an operation runs the dialog holds back the end of the
// user's session; when it ends all the same, the operation stops at its next
// command before the dialog lets it go on.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/image_burner_controller.h"
#include "app/keyboard_focus.h"
#include "app/main_dialog_logic.h"
#include "app/service_log.h"
#include "app/user_interface_port.h"
#include "win32/banner_view.h"
#include "app/window_menu.h"
#include "win32/dialog_device_events.h"
#include "win32/dialog_shortcuts.h"
#include "win32/dialog_thread.h"
#include "win32/service_panel.h"
#include "win32/status_line_view.h"
#include "win32/window_controls.h"

namespace ib::win32 {

class MainDialog final : public UserInterfacePort {
public:
    // `thread` is attached to the dialog's window while it stands;
    // `deviceEvents`, when given, gets the dialog's WM_DEVICECHANGE messages.
    MainDialog(HINSTANCE instance, DialogThread& thread, DialogDeviceEvents* deviceEvents);

    ServiceLog& serviceLog() { return m_log; }
    // What stops the controller's running operation: the end of the user's session.
    StopRequest stopRequest() const { return m_logic.stopRequest(); }
    // The program's arguments, for a start again in another folder or with other rights.
    void setArguments(std::vector<std::string> arguments) { m_arguments = std::move(arguments); }

    // Shows the dialog over `controller` and returns when it has closed.
    // `closeController` closes the controller (stopping notifications and
    // waiting for running workers) while the dialog still stands.
    void run(CImageBurnerDlg& controller, std::function<void()> closeController);

    // ---- The user-interface port, on the dialog's thread ----
    void renderStatus(const StatusState& state) override;
    void statusPassedOver(const StatusState& state) override;
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    void setOperationButtonsEnabled(bool enabled) override;
    void setControlEnabled(ControlId control, bool enabled) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void showValues(const DialogValues& values) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    void operationFinished(Operation op, std::uint32_t result) override;

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise(HWND dialog);
    void buildSystemMenu();
    void setIcons();
    void fillLists();
    void startUp();
    void onCommand(int id, int code);
    bool onSystemCommand(WPARAM command);
    void onMenuCommand(MenuCommand command);
    bool showContextMenu(LPARAM where);
    // Appends the window menu's entries to `menu`.
    void appendWindowMenu(HMENU menu) const;
    void chooseWorkingFolder();
    // Holds back the session's end while an operation runs, with the reason.
    void blockSessionEndWhileBusy();
    void onQueryEndSession();
    void onEndSession(bool ending);
    // Asks whether to start again as administrator, in the same working
    // folder; when it started, this program ends after its operation.
    void offerElevation(const std::string& question);
    void showServicePanel(bool shown);
    void requestClose();
    void close();
    void appendToLogView(const std::string& line);
    void onSaveLog();
    HWND item(int id) const { return ::GetDlgItem(m_dialog, id); }

    HINSTANCE m_instance;
    DialogThread& m_thread;
    DialogDeviceEvents* m_deviceEvents;
    HWND m_dialog = nullptr;
    WindowControls m_controls;
    MainDialogLogic m_logic{m_controls};
    KeyboardFocus m_focus{m_controls};
    ServiceLog m_log;
    StatusLineView m_status;
    BannerView m_banner;
    ServicePanel m_servicePanel;
    std::unique_ptr<DialogShortcuts> m_shortcuts;
    CImageBurnerDlg* m_controller = nullptr;
    std::function<void()> m_closeController;
    std::vector<std::string> m_arguments;
    bool m_sessionEndBlocked = false;
};

}  // namespace ib::win32
