// The main dialog: a view over the controller. It builds its controls from
// the control table, carries out the user-interface port's calls on the
// user-interface thread, and turns clicks into the controller's operations.
// Below the visible area lies the service panel, shown on request together
// with a time-stamped log of every status text, step message and message box.
#pragma once

#include <QDialog>
#include <QFile>
#include <QString>
#include <map>
#include <vector>

#include "app/image_burner_controller.h"
#include "app/user_interface_port.h"

class QAction;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ib::ui {

class StatusWidget;

// The title with the working folder's name: "<title> - <part after the last
// '/'>"; a folder path without a separator leaves the title as it is.
QString titleWithFolder(const QString& title, const QString& folder);

// How the service log names an operation.
const char* operationName(Operation op);

class MainDialog final : public QDialog, public UserInterfacePort {
public:
    // The command number of the about entry.
    static constexpr int kAboutCommand = 16;

    explicit MainDialog(QWidget* parent = nullptr);

    // The start-up of the dialog over `controller`, which must outlive the
    // dialog's use of it. false when the device notifications were refused:
    // the dialog stays open without status line, presence, paths or title.
    bool startUp(CImageBurnerDlg& controller);
    // Forgets the controller (it is being closed).
    void detach() { m_controller = nullptr; }

    // What the bound controls hold now.
    DialogValues readView() const;
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
    void showStepMessage(const std::string& text) override;
    void showWarning(const std::string& text) override;
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
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
    void buildControls();
    void buildServiceLog();
    void buildMenu();
    void connectReactions();
    void launch(Operation op);
    void onConfigureBootArea();
    void browse(bool binFile);
    void setBootSizeControlsEnabled(bool enabled);
    // Writes the values into the controls; a combo box selects the first entry
    // that begins with its value (case ignored), else shows the value as text.
    void writeView(const DialogValues& values);
    // The start-up preset: each combo box selects the list entry start-up
    // chose, or none (an empty box).
    void presetView(const DialogValues& values, const ListSelections& selected);
    void log(const QString& line);
    void onSaveLogClicked();

    std::map<int, QWidget*> m_controls;
    // Everything below the visible area, shown only with the service panel.
    std::vector<QWidget*> m_servicePanel;
    StatusWidget* m_status = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QFile m_logFile;
    QProgressBar* m_transfer = nullptr;
    QPushButton* m_saveLog = nullptr;
    QAction* m_aboutAction = nullptr;
    QAction* m_serviceAction = nullptr;
    CImageBurnerDlg* m_controller = nullptr;
    bool m_servicePanelShown = false;
    bool m_closeWhenFinished = false;
};

}  // namespace ib::ui
