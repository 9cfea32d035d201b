// The main dialog's working folder and the end of the user's session: the
// menu's "Working folder..." starts the program again in the folder chosen;
// the session manager's question is refused while an operation runs, and
// the session's end all the same stops the operation at its next command.
#include <QCoreApplication>
#include <QSessionManager>

#include "seams/utf8_path.h"
#include "ui/folder_chooser.h"
#include "ui/main_dialog.h"

namespace ib::ui {

void MainDialog::chooseWorkingFolder() {
    if (!m_logic.mayChooseWorkingFolder()) return;
    const auto folder = ui::chooseFolder(this, m_logic.workingFolder());
    if (!folder) return;
    const auto arguments = m_logic.workingFolderChosen(*folder, programArguments());
    if (!arguments) return;
    if (!startProgramAgain(*arguments)) {
        showMessageBox(MessageBoxKind::Error, "The program could not be started again in " + utf8FromPath(*folder));
        return;
    }
    QDialog::reject();
}

void MainDialog::commitData(QSessionManager& manager) {
    if (m_logic.sessionMayEnd()) return;
    m_serviceLog.warning(std::string("The session's end was refused: ") + kSessionEndBlockReason);
    if (manager.allowsInteraction()) manager.cancel();
}

void MainDialog::endSessionNow() {
    m_logic.endSession();
    if (m_logic.endAwaited())
        m_serviceLog.warning("The session ends: the running operation stops at its next command.");
    // The worker's reports and its end are carried out here, its message boxes only logged.
    while (m_logic.endAwaited())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    QDialog::reject();
}

}  // namespace ib::ui
