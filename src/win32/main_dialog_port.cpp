// The main dialog's side of the user-interface port, and the service log's
// save button.
#include "win32/main_dialog.h"

#include <commctrl.h>

#include "app/control_table.h"
#include "platform/windows/wide_text.h"
#include "seams/utf8_path.h"
#include "win32/file_chooser.h"
#include "win32/main_dialog_template.h"

namespace ib::win32 {
namespace {

constexpr const wchar_t* kProgramName = L"ImageBurner";
constexpr const wchar_t* kErrorCaption = L"Error Message";

int messageBox(HWND owner, const std::string& text, const std::wstring& caption, UINT style) {
    return ::MessageBoxW(owner, platform::wideFromUtf8(text).c_str(), caption.c_str(), MB_OK | style);
}

FileChooserRequest saveLogRequest() {
    FileChooserRequest request;
    request.save = true;
    request.title = "Save log";
    request.filter = "Log Files (*.log)|*.log|All Files (*.*)|*.*||";
    request.defaultExtension = "log";
    request.initialName = "imageburner.log";
    request.overwritePrompt = true;
    return request;
}

}  // namespace

void MainDialog::renderStatus(const StatusState& state) {
    m_status.showState(state);
    m_log.status(state);
}

void MainDialog::statusPassedOver(const StatusState& state) { m_log.status(state); }

void MainDialog::showStepMessage(const std::string& text) {
    m_status.showStepMessage(text);
    m_log.step(text);
}

void MainDialog::showWarning(const std::string& text) {
    m_log.warning(text);
    if (m_logic.leaving()) return;
    const auto open = m_logic.boxOpened();
    messageBox(m_dialog, text, L"Warning", MB_ICONWARNING);
}

// A message that says the program lacks administrator rights offers to start
// it again with them.
void MainDialog::showMessageBox(MessageBoxKind kind, const std::string& text) {
    m_log.message(text);
    if (m_logic.leaving()) return;
    if (const auto question = elevationQuestion(text)) {
        offerElevation(*question);
        return;
    }
    const std::wstring caption =
        kind == MessageBoxKind::Application ? kProgramName : platform::wideFromUtf8(captionOf(kind));
    const auto open = m_logic.boxOpened();
    messageBox(m_dialog, text, caption, kind == MessageBoxKind::Information ? MB_ICONINFORMATION : MB_ICONERROR);
}

void MainDialog::setOperationButtonsEnabled(bool enabled) { m_focus.setEnabled(operationButtons(), enabled); }

void MainDialog::setControlEnabled(ControlId control, bool enabled) {
    const int id = static_cast<int>(control);
    m_focus.setEnabled({&id, 1}, enabled);
}

std::optional<std::string> MainDialog::chooseFile(const FileChooserRequest& request) {
    if (m_logic.leaving()) return std::nullopt;
    const auto open = m_logic.boxOpened();
    return win32::chooseFile(m_dialog, request);
}

void MainDialog::showValues(const DialogValues& values) { writeView(m_controls, values); }

void MainDialog::transferProgress(std::uint64_t done, std::uint64_t total) {
    const auto permille = total == 0 ? 0 : static_cast<WPARAM>(done * 1000 / total);
    ::SendMessageW(item(extra_control::TransferBar), PBM_SETPOS, permille, 0);
}

void MainDialog::operationFinished(Operation op, std::uint32_t result) {
    m_log.finished(op, result);
    blockSessionEndWhileBusy();
    if (m_logic.operationFinished()) close();
}

void MainDialog::onSaveLog() {
    const auto path = win32::chooseFile(m_dialog, saveLogRequest());
    if (path && !m_log.save(pathFromUtf8(*path))) messageBox(m_dialog, "Cannot write " + *path, kErrorCaption, MB_ICONERROR);
}

}  // namespace ib::win32
