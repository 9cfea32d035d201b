#include "win32/main_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/control_table.h"
#include "platform/windows/wide_text.h"
#include "seams/utf8_path.h"
#include "win32/about_box.h"
#include "win32/dialog_geometry.h"
#include "win32/file_chooser.h"
#include "win32/main_dialog_template.h"
#include "win32/program_restart.h"

namespace ib::win32 {
namespace {

// Posted at the dialog's activation: the focus is checked once the default
// handling has placed it.
constexpr UINT kFocusCheckMessage = WM_APP + 2;

HICON loadIcon(HINSTANCE instance, int width, int height) {
    return static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

HBITMAP loadBitmap(HINSTANCE instance, int resource) {
    return static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

DialogRect bannerRect() {
    for (const ControlSpec& spec : mainDialogControls())
        if (spec.kind == ControlKind::Picture) return spec.rect;
    return {};
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance, DialogThread& thread, DialogDeviceEvents* deviceEvents)
    : m_instance(instance), m_thread(thread), m_deviceEvents(deviceEvents), m_log([this](const std::string& line) {
          appendToLogView(line);
      }) {}

void MainDialog::run(CImageBurnerDlg& controller, std::function<void()> closeController) {
    m_controller = &controller;
    m_closeController = std::move(closeController);
    const auto bytes = buildDialogTemplate(mainDialogTemplate());
    ::DialogBoxIndirectParamW(m_instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, procedure,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<MainDialog*>(lParam)->initialise(dialog);
        return FALSE;  // the focus is set
    }
    auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    return self && self->handle(message, wParam, lParam) ? TRUE : FALSE;
}

bool MainDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPostedCallMessage: m_thread.runQueued(); return true;
        case WM_TIMER:
            if (wParam != kPeriodicTimer) return false;
            m_thread.runPeriodic();
            return true;
        case kFocusCheckMessage: m_focus.keepUsable(); return true;
        // The focus that the dialog's default handling would give back (the
        // control that had it, else the first one) may be disabled or the banner.
        case WM_SETFOCUS: m_focus.keepUsable(); return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) ::PostMessageW(m_dialog, kFocusCheckMessage, 0, 0);
            return false;
        case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam)); return true;
        case WM_SYSCOMMAND: return onSystemCommand(wParam);
        case WM_CONTEXTMENU: return showContextMenu(lParam);
        case WM_QUERYENDSESSION: onQueryEndSession(); return true;
        case WM_ENDSESSION: onEndSession(wParam != FALSE); return true;
        case WM_CLOSE: requestClose(); return true;
        case WM_DEVICECHANGE:
            if (m_deviceEvents) m_deviceEvents->onDeviceChange(wParam, lParam);
            ::SetWindowLongPtrW(m_dialog, DWLP_MSGRESULT, TRUE);
            return true;
        case WM_DESTROY:
            ::KillTimer(m_dialog, kPeriodicTimer);
            m_shortcuts.reset();
            m_thread.attach(nullptr);  // drops the calls still queued
            return true;
        default: return false;
    }
}

// The start-up, in order: the controls and their lists, the system menu, the
// icons, the status line, then the controller's start-up and the title.
void MainDialog::initialise(HWND dialog) {
    m_dialog = dialog;
    m_thread.attach(dialog);
    ::SetTimer(dialog, kPeriodicTimer, kPeriodMs, nullptr);
    m_controls.attach(dialog);
    fillLists();
    buildSystemMenu();
    setIcons();
    m_banner.attach(dialog, loadBitmap(m_instance, kBannerResource), pixelsOf(dialog, bannerRect()));
    m_status.attach(item(control::Status),
                    loadBitmap(m_instance, kPatternResource));
    ::SendMessageW(item(extra_control::TransferBar), PBM_SETRANGE32, 0, 1000);
    ::SendMessageW(item(extra_control::ServiceLog), EM_SETLIMITTEXT, 0, 0);
    m_servicePanel.attach(dialog);
    m_shortcuts = std::make_unique<DialogShortcuts>(dialog, menuEntry(MenuCommand::About).systemCommand,
                                                    menuEntry(MenuCommand::Service).systemCommand);
    startUp();
    m_focus.focusStart();
}

void MainDialog::fillLists() {
    for (int id : {control::StorageType, control::FirmwareNumber})
        for (const char* entry : listEntries(id))
            ::SendMessageW(item(id), CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(platform::wideFromUtf8(entry).c_str()));
}

void MainDialog::buildSystemMenu() {
    HMENU menu = ::GetSystemMenu(m_dialog, FALSE);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    appendWindowMenu(menu);
}

void MainDialog::setIcons() {
    const HICON bigIcon = loadIcon(m_instance, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    const HICON smallIcon = loadIcon(m_instance, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(m_dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    ::SendMessageW(m_dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void MainDialog::startUp() {
    if (const auto title = m_logic.startUp(*m_controller, kDialogTitle))
        ::SetWindowTextW(m_dialog, platform::wideFromUtf8(*title).c_str());
}

// Enter (IDOK, also from an edit or a combo box's edit) is the start button's
// own number; Escape and the close box are IDCANCEL.
void MainDialog::onCommand(int id, int code) {
    if (id == IDCANCEL) {
        requestClose();
    } else if (code == BN_CLICKED) {
        if (id == extra_control::SaveLog)
            onSaveLog();
        else
            m_logic.click(id);
        blockSessionEndWhileBusy();
    }
}

bool MainDialog::onSystemCommand(WPARAM command) {
    for (const MenuEntry& entry : windowMenu()) {
        if (static_cast<WPARAM>(entry.systemCommand) == (command & 0xFFF0)) {
            onMenuCommand(entry.command);
            return true;
        }
    }
    return false;
}

void MainDialog::onMenuCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::WorkingFolder: chooseWorkingFolder(); break;
        case MenuCommand::About: showAboutBox(m_instance, m_dialog); break;
        case MenuCommand::Service: showServicePanel(!m_servicePanel.shown()); break;
    }
}

// The right click's menu in the client area: the window menu's entries, at
// the pointer (from the keyboard, at the dialog's top-left corner). A right
// click on the caption keeps the system menu.
bool MainDialog::showContextMenu(LPARAM where) {
    POINT point{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (point.x == -1 && point.y == -1) {
        point = {0, 0};
        ::ClientToScreen(m_dialog, &point);
    } else if (::SendMessageW(m_dialog, WM_NCHITTEST, 0, where) != HTCLIENT) {
        return false;
    }
    HMENU menu = ::CreatePopupMenu();
    appendWindowMenu(menu);
    const int chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, m_dialog, nullptr);
    ::DestroyMenu(menu);
    if (chosen != 0) onSystemCommand(static_cast<WPARAM>(chosen));
    return true;
}

void MainDialog::appendWindowMenu(HMENU menu) const {
    for (const MenuEntry& entry : windowMenu()) {
        const bool checked = entry.checkable && m_servicePanel.shown();  // the service panel's entry
        ::AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                      static_cast<UINT_PTR>(entry.systemCommand), platform::wideFromUtf8(entry.text).c_str());
    }
}

void MainDialog::chooseWorkingFolder() {
    if (!m_logic.mayChooseWorkingFolder()) return;
    const auto folder = win32::chooseFolder(m_dialog, utf8FromPath(m_logic.workingFolder()));
    if (!folder) return;
    const auto arguments = m_logic.workingFolderChosen(pathFromUtf8(*folder), m_arguments);
    if (!arguments) return;
    if (!startProgramAgain(m_dialog, *arguments, Rights::Same)) {
        showMessageBox(MessageBoxKind::Error, "The program could not be started again in " + *folder);
        return;
    }
    close();
}

void MainDialog::showServicePanel(bool shown) {
    m_servicePanel.show(shown);
    m_focus.keepUsable();  // out of the panel onto a start button that may be disabled
    ::CheckMenuItem(::GetSystemMenu(m_dialog, FALSE), menuEntry(MenuCommand::Service).systemCommand,
                    MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
}

void MainDialog::requestClose() {
    const bool closeNow = m_logic.requestClose([this] {
        const std::wstring question = platform::wideFromUtf8(kCloseWhileBusyQuestion);
        const std::wstring title = platform::wideFromUtf8(windowText(m_dialog));
        return ::MessageBoxW(m_dialog, question.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    });
    if (closeNow) close();
}

void MainDialog::close() {
    if (m_closeController) m_closeController();
    m_logic.detach();
    ::EndDialog(m_dialog, 0);
}

void MainDialog::appendToLogView(const std::string& line) {
    HWND view = m_dialog ? item(extra_control::ServiceLog) : nullptr;
    if (!view) return;
    const auto end = static_cast<WPARAM>(::GetWindowTextLengthW(view));
    ::SendMessageW(view, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(platform::wideFromUtf8(line + "\r\n").c_str()));
}

}  // namespace ib::win32
