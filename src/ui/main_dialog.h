// The main dialog's Qt face: it builds its widgets from the control table,
// carries out the user-interface port's calls on the user-interface thread and
// hands clicks to the shared dialog logic. Below the visible area lies the
// service panel, shown on request together with the service log. Its context
// menu holds the window menu's entries; while an operation runs it holds back
// the end of the user's session.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <vector>

#include "app/dialog_controls.h"
#include "app/image_burner_controller.h"
#include "app/keyboard_focus.h"
#include "app/main_dialog_logic.h"
#include "app/service_log.h"
#include "app/user_interface_port.h"

class QAction;
class QSessionManager;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ib::ui {

class StatusWidget;

class MainDialog final : public QDialog, public UserInterfacePort, private DialogControls {
public:
    explicit MainDialog(QWidget* parent = nullptr);

    // The start-up of the dialog over `controller`, which must outlive the
    // dialog's use of it. false when the device notifications were refused:
    // the dialog stays open without status line, presence, paths or title.
    bool startUp(CImageBurnerDlg& controller);
    // Forgets the controller (it is being closed).
    void detach() { m_logic.detach(); }
    // What stops the controller's running operation: the end of the user's session.
    StopRequest stopRequest() const { return m_logic.stopRequest(); }
    // The session manager asks whether the session may end: while an
    // operation runs, the end is cancelled where the manager lets us.
    void commitData(QSessionManager& manager);
    // The session ends all the same: a running operation stops at its next
    // command, this returns when it has ended, and the dialog closes.
    void endSessionNow();
    // The menu's "Working folder...": the chosen folder is remembered and the
    // program starts again there.
    void chooseWorkingFolder();

    // What the bound controls hold now.
    DialogValues readView() const { return ib::readView(*this); }
    QWidget* control(int id) const;
    StatusWidget& statusLine() const { return *m_status; }
    bool servicePanelShown() const { return m_servicePanelShown; }
    void showServicePanel(bool shown);
    // Shows the dialog as the application's main window (not modal: it is the
    // only window) and returns when it has been closed.
    void runAsMainWindow();
    QString logText() const;
    [[nodiscard]] bool saveLog(const QString& path) const;
    // Writes the log so far and every later line to this file as well.
    [[nodiscard]] bool copyLogTo(const QString& path);
    void showAbout();

    // ---- The user-interface port, on the user-interface thread ----
    void renderStatus(const StatusState& state) override;
    void statusPassedOver(const StatusState& state) override;
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    bool askYesNo(Question question, const std::string& text) override;
    void setOperationButtonsEnabled(bool enabled) override;
    void setControlEnabled(ControlId control, bool enabled) override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request) override;
    void showValues(const DialogValues& values) override;
    void transferProgress(std::uint64_t done, std::uint64_t total) override;
    void operationFinished(Operation op, std::uint32_t result) override;

    // Escape and the close box: while an operation runs, asks whether to close
    // when it has finished.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- The controls as the shared dialog logic sees them ----
    std::string text(int id) const override;
    void setText(int id, const std::string& text) override;
    bool isChecked(int id) const override;
    void setChecked(int id, bool checked) override;
    void selectListEntry(int id, int index) override;
    void setEnabled(int id, bool enabled) override;
    int focusedControl() const override;
    bool canTakeFocus(int id) const override;
    void focusControl(int id) override;

    void buildControls();
    void buildServiceLog();
    void buildMenu();
    void connectReactions();
    void onSaveLogClicked();

    std::map<int, QWidget*> m_controls;
    // Everything below the visible area, shown only with the service panel.
    std::vector<QWidget*> m_servicePanel;
    StatusWidget* m_status = nullptr;
    QPlainTextEdit* m_log = nullptr;
    ServiceLog m_serviceLog;
    QProgressBar* m_transfer = nullptr;
    QPushButton* m_saveLog = nullptr;
    QAction* m_serviceAction = nullptr;
    MainDialogLogic m_logic{*this};
    KeyboardFocus m_focus{*this};
    bool m_servicePanelShown = false;
};

}  // namespace ib::ui
