#include "ui/main_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "ui/about_dialog.h"
#include "app/control_table.h"
#include "app/window_menu.h"
#include "ui/dialog_units.h"
#include "seams/utf8_path.h"
#include "ui/pictures.h"
#include "ui/status_widget.h"

namespace ib::ui {
namespace {

QWidget* createControl(const ControlSpec& spec, QWidget* parent) {
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
        case ControlKind::Picture: {
            // Drawn to the label's size, smoothly scaled for the screen's pixels.
            auto* banner = new QLabel(parent);
            banner->setPixmap(picture(Picture::Banner));
            banner->setScaledContents(true);
            return banner;
        }
        case ControlKind::StatusLine: return new StatusWidget(parent);
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(text, parent);
            button->setDefault(true);
            return button;
        }
        case ControlKind::Button: return new QPushButton(text, parent);
        case ControlKind::Text: return new QLabel(text, parent);
        case ControlKind::CentredText: {
            auto* label = new QLabel(text, parent);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setWordWrap(true);
            return label;
        }
        case ControlKind::Edit: return new QLineEdit(parent);
        case ControlKind::NumberEdit: {
            auto* edit = new QLineEdit(parent);
            edit->setAlignment(Qt::AlignRight);
            return edit;
        }
        case ControlKind::CheckBox: return new QCheckBox(text, parent);
        case ControlKind::ComboBox: {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            return box;
        }
        case ControlKind::BlackFrame: {
            auto* frame = new QFrame(parent);
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            return frame;
        }
        case ControlKind::GroupBox: return new QGroupBox(parent);
    }
    return nullptr;
}

// Where a control of this kind goes for its layout rectangle: a combo box's
// rectangle covers its drop-down list, the box itself is one edit high.
QRect placedRect(const QWidget& widget, QRect rect, const DialogUnits& units) {
    if (qobject_cast<const QComboBox*>(&widget)) return QRect(rect.topLeft(), QSize(rect.width(), units.y(13)));
    return rect;
}


// "Description|pattern|...||" as Qt's "Description;;..." (the descriptions name their patterns).
QString qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|', Qt::SkipEmptyParts);
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = parts[i + 1] == QStringLiteral("*.*") ? QStringLiteral("*") : parts[i + 1];
        descriptions << parts[i].section(u'(', 0, 0).trimmed() + QStringLiteral(" (") + pattern + u')';
    }
    return descriptions.join(QStringLiteral(";;"));
}

}  // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent),
      m_serviceLog([this](const std::string& line) { m_log->appendPlainText(QString::fromStdString(line)); }) {
    setFont(dialogFont());
    setWindowTitle(QString::fromUtf8(kDialogTitle));
    // The application's main window, with a task-bar entry of its own: a dialog
    // window would be transient for an unmapped leader window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(picture(Picture::Icon)));
    buildControls();
    buildServiceLog();
    buildMenu();
    connectReactions();
    showServicePanel(false);
    control(control::Start)->setFocus();
}

void MainDialog::buildControls() {
    const DialogUnits units = DialogUnits::forFont(font());
    for (const ControlSpec& spec : mainDialogControls()) {
        QWidget* widget = createControl(spec, this);
        widget->setGeometry(placedRect(*widget, units.toPixels(spec.rect), units));
        if (isDecoration(spec.kind)) widget->lower();
        widget->setEnabled(spec.initial == ControlState::Enabled);
        if (inServicePanel(spec)) m_servicePanel.push_back(widget);
        if (spec.id != kNoId) m_controls[spec.id] = widget;
    }
    for (const AccessibleText& text : accessibleTexts()) {
        QWidget* named = control(text.id);
        // A combo box's name is its text where assistive technology reads it; its edit carries the label's.
        if (auto* box = qobject_cast<QComboBox*>(named)) named = box->lineEdit();
        named->setAccessibleName(QString::fromUtf8(text.name));
        named->setAccessibleDescription(QString::fromUtf8(text.description));
    }
    m_status = static_cast<StatusWidget*>(control(control::Status));
    for (int id : {control::StorageType, control::FirmwareNumber}) {
        auto* box = static_cast<QComboBox*>(control(id));
        for (const char* entry : listEntries(id)) box->addItem(QString::fromUtf8(entry));
        // Enter in a combo box's edit starts the full update, as in any other edit.
        box->lineEdit()->installEventFilter(this);
    }
}

void MainDialog::buildServiceLog() {
    const DialogUnits units = DialogUnits::forFont(font());
    m_log = new QPlainTextEdit(this);
    m_log->setReadOnly(true);
    m_log->setGeometry(units.toPixels(kServiceLogRect));
    m_saveLog = new QPushButton(QStringLiteral("Save log..."), this);
    m_saveLog->setGeometry(units.toPixels(kSaveLogButtonRect));
    m_saveLog->setAutoDefault(false);
    m_transfer = new QProgressBar(this);
    const QRect save = m_saveLog->geometry();
    m_transfer->setGeometry(m_log->x(), save.y(), save.x() - m_log->x() - units.x(4), save.height());
    m_transfer->setRange(0, 1000);
    m_transfer->setValue(0);
    m_log->setAccessibleName(QStringLiteral("Service log"));
    m_transfer->setAccessibleName(QStringLiteral("Transfer"));
    m_servicePanel.insert(m_servicePanel.end(), {m_log, m_saveLog, m_transfer});
    connect(m_saveLog, &QPushButton::clicked, this, &MainDialog::onSaveLogClicked);
}

void MainDialog::buildMenu() {
    // The context menu (a right click) holds the window menu's entries.
    for (const MenuEntry& entry : windowMenu()) {
        auto* action = new QAction(QString::fromUtf8(entry.text), this);
        action->setCheckable(entry.checkable);
        addAction(action);
        switch (entry.command) {
            case MenuCommand::WorkingFolder:
                connect(action, &QAction::triggered, this, &MainDialog::chooseWorkingFolder);
                break;
            case MenuCommand::About:
                action->setShortcut(QKeySequence(Qt::Key_F1));
                connect(action, &QAction::triggered, this, &MainDialog::showAbout);
                break;
            case MenuCommand::Service:
                action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
                connect(action, &QAction::toggled, this, &MainDialog::showServicePanel);
                m_serviceAction = action;
                break;
        }
    }
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainDialog::connectReactions() {
    for (const auto& [id, widget] : m_controls)
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            connect(button, &QAbstractButton::clicked, this, [this, id = id] { m_logic.click(id); });
}

QWidget* MainDialog::control(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

bool MainDialog::startUp(CImageBurnerDlg& controller) {
    const auto title = m_logic.startUp(controller, windowTitle().toStdString());
    if (!title) return false;
    setWindowTitle(QString::fromStdString(*title));
    m_focus.focusStart();
    return true;
}

std::string MainDialog::text(int id) const {
    if (const auto* box = qobject_cast<const QComboBox*>(control(id))) return box->currentText().toStdString();
    return static_cast<const QLineEdit*>(control(id))->text().toStdString();
}

void MainDialog::setText(int id, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (auto* box = qobject_cast<QComboBox*>(control(id)))
        box->setEditText(value);
    else
        static_cast<QLineEdit*>(control(id))->setText(value);
}

bool MainDialog::isChecked(int id) const { return static_cast<const QCheckBox*>(control(id))->isChecked(); }

void MainDialog::setChecked(int id, bool checked) { static_cast<QCheckBox*>(control(id))->setChecked(checked); }

void MainDialog::selectListEntry(int id, int index) {
    auto* box = static_cast<QComboBox*>(control(id));
    box->setCurrentIndex(index);
    if (index < 0) box->clearEditText();
}

void MainDialog::setEnabled(int id, bool enabled) { control(id)->setEnabled(enabled); }

// The dialog's focus widget, also while another window is active; a widget
// not in the table (the service log) gives 0.
int MainDialog::focusedControl() const {
    const QWidget* focus = focusWidget();
    if (!focus || focus == this) return kNoId;
    for (const auto& [id, widget] : m_controls)
        if (widget == focus || widget->isAncestorOf(focus)) return id;
    return 0;
}

// Hidden by hand, not merely not yet shown: the service panel's widgets.
bool MainDialog::canTakeFocus(int id) const {
    const QWidget* widget = control(id);
    return widget && widget->isEnabled() && !widget->isHidden();
}

void MainDialog::focusControl(int id) {
    QWidget* widget = id == kNoId ? this : control(id);
    widget->setFocus(Qt::OtherFocusReason);
}

void MainDialog::showServicePanel(bool shown) {
    m_servicePanelShown = shown;
    if (m_serviceAction->isChecked() != shown) m_serviceAction->setChecked(shown);
    const DialogUnits units = DialogUnits::forFont(font());
    setFixedSize(units.toPixels(shown ? kClientAreaWithServicePanel : kClientArea).size());
    // Hidden, the panel's controls leave the focus chain: no key reaches them.
    for (QWidget* widget : m_servicePanel) widget->setVisible(shown);
    m_focus.keepUsable();  // out of the panel onto a start button that may be disabled
}

void MainDialog::runAsMainWindow() {
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    loop.exec();
}

void MainDialog::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

bool MainDialog::copyLogTo(const QString& path) { return m_serviceLog.copyTo(pathFromUtf8(path.toStdString())); }

QString MainDialog::logText() const { return QString::fromStdString(m_serviceLog.text()); }

bool MainDialog::saveLog(const QString& path) const { return m_serviceLog.save(pathFromUtf8(path.toStdString())); }

void MainDialog::onSaveLogClicked() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save log"), QStringLiteral("imageburner.log"),
                                                      QStringLiteral("Log Files (*.log);;All Files (*)"), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty() && !saveLog(path))
        QMessageBox::critical(this, QStringLiteral("Error Message"), QStringLiteral("Cannot write %1").arg(path));
}

// ---- The user-interface port ----

void MainDialog::renderStatus(const StatusState& state) {
    m_status->showState(state);
    m_serviceLog.status(state);
}

void MainDialog::statusPassedOver(const StatusState& state) { m_serviceLog.status(state); }

void MainDialog::showStepMessage(const std::string& text) {
    m_status->showStepMessage(QString::fromStdString(text));
    m_serviceLog.step(text);
}

void MainDialog::showWarning(const std::string& text) {
    const QString message = QString::fromStdString(text);
    m_serviceLog.warning(text);
    if (m_logic.leaving()) return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), message, QMessageBox::Ok, this);
    const auto open = m_logic.boxOpened();
    box.exec();
}

void MainDialog::showMessageBox(MessageBoxKind kind, const std::string& text) {
    const QString message = QString::fromStdString(text);
    m_serviceLog.message(text);
    if (m_logic.leaving()) return;
    const QString caption = kind == MessageBoxKind::Application ? QCoreApplication::applicationName()
                                                                : QString::fromUtf8(captionOf(kind));
    QMessageBox box(kind == MessageBoxKind::Information ? QMessageBox::Information : QMessageBox::Critical, caption,
                    message, QMessageBox::Ok, this);
    const auto open = m_logic.boxOpened();
    box.exec();
}

bool MainDialog::askYesNo(Question, const std::string& text) {
    m_serviceLog.message(text);
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MainDialog::setOperationButtonsEnabled(bool enabled) { m_focus.setEnabled(operationButtons(), enabled); }

void MainDialog::setControlEnabled(ControlId id, bool enabled) {
    const int number = static_cast<int>(id);
    m_focus.setEnabled({&number, 1}, enabled);
}

std::optional<std::string> MainDialog::chooseFile(const FileChooserRequest& request) {
    if (m_logic.leaving()) return std::nullopt;
    QFileDialog chooser(this, QString::fromStdString(request.title), QString(), qtFilter(request.filter));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    chooser.setFileMode(request.save ? QFileDialog::AnyFile
                        : request.pathMustExist ? QFileDialog::ExistingFile
                                                : QFileDialog::AnyFile);
    chooser.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.defaultExtension.empty()) chooser.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialName.empty()) chooser.selectFile(QString::fromStdString(request.initialName));
    const auto open = m_logic.boxOpened();
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    return chooser.selectedFiles().constFirst().toStdString();
}

void MainDialog::showValues(const DialogValues& values) { writeView(*this, values); }

void MainDialog::transferProgress(std::uint64_t done, std::uint64_t total) {
    m_transfer->setValue(total == 0 ? 0 : static_cast<int>(done * 1000 / total));
}

void MainDialog::operationFinished(Operation op, std::uint32_t result) {
    m_serviceLog.finished(op, result);
    if (m_logic.operationFinished()) QDialog::reject();
}

void MainDialog::reject() {
    const bool closeNow = m_logic.requestClose([this] {
        return QMessageBox::question(this, windowTitle(), QString::fromUtf8(kCloseWhileBusyQuestion)) ==
               QMessageBox::Yes;
    });
    if (closeNow) QDialog::reject();
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QPushButton*>(control(control::Start))->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ib::ui
