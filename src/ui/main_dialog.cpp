#include "ui/main_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>

#include "ui/about_dialog.h"
#include "app/control_table.h"
#include "ui/pictures.h"
#include "ui/status_widget.h"

namespace ib::ui {
namespace {

constexpr const char* kDialogTitle = "VELTRAX VT-RD70";
constexpr const char* kAboutEntry = "&About ImageBurner...";
constexpr const char* kServiceEntry = "&Service";

// The operation buttons, as enableOperationButtons names them.
constexpr int kOperationButtons[] = {control::Start,         control::SyncDevice,
                                     control::ReadUserArea,  control::ReadBootArea,
                                     control::WriteRegister, control::ReadRegister,
                                     control::ConfigureUserAreaButton, control::RawWrite};

// The buttons that start an operation, and which.
const std::map<int, Operation> kButtonOperations = {
    {control::Start, Operation::FullUpdate},
    {control::ReadRegister, Operation::ReadRegister},
    {control::WriteRegister, Operation::WriteRegister},
    {control::ReadBootArea, Operation::ReadBootArea},
    {control::ConfigureUserAreaButton, Operation::ConfigureUserArea},
    {control::ReadUserArea, Operation::ReadUserArea},
    {control::SyncDevice, Operation::Sync},
    {control::LowLevelFormat, Operation::LowLevelFormat},
    {control::RawWrite, Operation::RawWrite},
    {control::CreateSdImage, Operation::CreateSdImage},
};

QWidget* createControl(const ControlSpec& spec, QWidget* parent) {
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
        case ControlKind::Picture: {
            auto* banner = new QLabel(parent);
            banner->setPixmap(picture(Picture::Banner));
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
// rectangle covers its drop-down list, the box itself is one edit high; a
// picture is shown at its own size from the rectangle's top-left corner.
QRect placedRect(const QWidget& widget, QRect rect, const DialogUnits& units) {
    if (qobject_cast<const QComboBox*>(&widget)) return QRect(rect.topLeft(), QSize(rect.width(), units.y(13)));
    if (const auto* label = qobject_cast<const QLabel*>(&widget); label && !label->pixmap().isNull())
        return QRect(rect.topLeft(), label->pixmap().deviceIndependentSize().toSize());
    return rect;
}

// Frames and group boxes only decorate: they lie under the controls they
// surround, so that clicks reach those controls.
bool isDecoration(ControlKind kind) { return kind == ControlKind::BlackFrame || kind == ControlKind::GroupBox; }

void fillList(QComboBox& box, std::span<const char* const> entries) {
    for (const char* entry : entries) box.addItem(QString::fromUtf8(entry));
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

QLineEdit& edit(const MainDialog& dialog, int id) { return *static_cast<QLineEdit*>(dialog.control(id)); }
QCheckBox& check(const MainDialog& dialog, int id) { return *static_cast<QCheckBox*>(dialog.control(id)); }
QComboBox& combo(const MainDialog& dialog, int id) { return *static_cast<QComboBox*>(dialog.control(id)); }

// The edits' texts and their view fields.
constexpr std::pair<int, std::string DialogValues::*> kEdits[] = {
    {control::ReadRegisterAddress, &DialogValues::readRegAddr},
    {control::ReadRegisterValue, &DialogValues::readRegValue},
    {control::WriteRegisterAddress, &DialogValues::writeRegAddr},
    {control::WriteRegisterValue, &DialogValues::writeRegValue},
    {control::BootSize, &DialogValues::bootSize},
    {control::BootReadAddress, &DialogValues::bootReadAddr},
    {control::BootReadSize, &DialogValues::bootReadSize},
    {control::UserReadAddress, &DialogValues::userReadAddr},
    {control::UserReadSize, &DialogValues::userReadSize},
    {control::RawPath, &DialogValues::rawPath},
    {control::BinPath, &DialogValues::binPath},
};
constexpr std::pair<int, int DialogValues::*> kChecks[] = {
    {control::ConfigureBootArea, &DialogValues::configBootArea},
    {control::ChangeBootSize, &DialogValues::changeBootSize},
    {control::ConfigureUserAreaCheck, &DialogValues::configUserArea},
};
constexpr std::pair<int, std::string DialogValues::*> kCombos[] = {
    {control::StorageType, &DialogValues::storageName},
    {control::FirmwareNumber, &DialogValues::firmwareNumber},
};

}  // namespace

const char* operationName(Operation op) {
    switch (op) {
        case Operation::FullUpdate: return "full update";
        case Operation::Sync: return "sync";
        case Operation::LowLevelFormat: return "low-level format";
        case Operation::CreateSdImage: return "SD image creation";
        case Operation::ReadRegister: return "register read";
        case Operation::WriteRegister: return "register write";
        case Operation::ReadBootArea: return "boot area read-back";
        case Operation::ReadUserArea: return "user area read-back";
        case Operation::ConfigureUserArea: return "user area configuration";
        case Operation::RawWrite: return "raw write";
    }
    return "operation";
}

QString titleWithFolder(const QString& title, const QString& folder) {
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    const qsizetype separator = path.lastIndexOf(u'/');
    if (separator < 0) return title;
    return title + QStringLiteral(" - ") + path.mid(separator + 1);
}

MainDialog::MainDialog(QWidget* parent) : QDialog(parent) {
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
    fillList(combo(*this, control::StorageType), kStorageNames);
    fillList(combo(*this, control::FirmwareNumber), kFirmwareNumbers);
    // Enter in a combo box's edit starts the full update, as in any other edit.
    for (const auto& [id, field] : kCombos) combo(*this, id).lineEdit()->installEventFilter(this);
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
    m_aboutAction = new QAction(QString::fromUtf8(kAboutEntry), this);
    m_aboutAction->setData(kAboutCommand);
    m_aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_serviceAction = new QAction(QString::fromUtf8(kServiceEntry), this);
    m_serviceAction->setCheckable(true);
    m_serviceAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addAction(m_aboutAction);
    addAction(m_serviceAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_aboutAction, &QAction::triggered, this, &MainDialog::showAbout);
    connect(m_serviceAction, &QAction::toggled, this, &MainDialog::showServicePanel);
}

void MainDialog::connectReactions() {
    for (const auto& [id, op] : kButtonOperations)
        connect(static_cast<QPushButton*>(control(id)), &QPushButton::clicked, this, [this, op = op] { launch(op); });
    connect(&check(*this, control::ConfigureBootArea), &QCheckBox::clicked, this, &MainDialog::onConfigureBootArea);
    connect(static_cast<QPushButton*>(control(control::BrowseRawFile)), &QPushButton::clicked, this,
            [this] { browse(false); });
    connect(static_cast<QPushButton*>(control(control::BrowseBinFile)), &QPushButton::clicked, this,
            [this] { browse(true); });
}

QWidget* MainDialog::control(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

bool MainDialog::startUp(CImageBurnerDlg& controller) {
    m_controller = &controller;
    DialogValues view = controller.exchangeToView();
    writeView(view);
    ListSelections selected;
    const bool started = controller.startUp(view, selected);
    presetView(view, selected);
    if (!started) return false;
    setWindowTitle(titleWithFolder(windowTitle(), QString::fromStdString(controller.workingDirectory().string())));
    control(control::Start)->setFocus();
    return true;
}

DialogValues MainDialog::readView() const {
    DialogValues values;
    for (const auto& [id, field] : kEdits) values.*field = edit(*this, id).text().toStdString();
    for (const auto& [id, field] : kChecks) values.*field = check(*this, id).isChecked() ? 1 : 0;
    for (const auto& [id, field] : kCombos) values.*field = combo(*this, id).currentText().toStdString();
    return values;
}

void MainDialog::writeView(const DialogValues& values) {
    for (const auto& [id, field] : kEdits) edit(*this, id).setText(QString::fromStdString(values.*field));
    for (const auto& [id, field] : kChecks) check(*this, id).setChecked(values.*field != 0);
    for (const auto& [id, field] : kCombos) {
        QComboBox& box = combo(*this, id);
        const QString value = QString::fromStdString(values.*field);
        const int index = box.findText(value, Qt::MatchStartsWith);
        if (index >= 0)
            box.setCurrentIndex(index);
        else
            box.setEditText(value);
    }
}

void MainDialog::presetView(const DialogValues& values, const ListSelections& selected) {
    writeView(values);
    for (const auto& [id, index] : {std::pair{control::StorageType, selected.storage},
                                    std::pair{control::FirmwareNumber, selected.firmwareNumber}}) {
        QComboBox& box = combo(*this, id);
        box.setCurrentIndex(index);
        if (index < 0) box.clearEditText();
    }
}

void MainDialog::launch(Operation op) {
    if (m_controller) m_controller->launch(op, readView());
}

void MainDialog::onConfigureBootArea() {
    if (!m_controller) return;
    m_controller->exchangeFromView(readView());
    if (m_controller->m_configBootArea == 1) {
        setBootSizeControlsEnabled(true);
        return;
    }
    m_controller->m_changeBootSize = 0;
    writeView(m_controller->exchangeToView());
    setBootSizeControlsEnabled(false);
}

void MainDialog::setBootSizeControlsEnabled(bool enabled) {
    for (int id : {control::BootSize, control::ChangeBootSize, control::BootSizeUnit}) control(id)->setEnabled(enabled);
}

void MainDialog::browse(bool binFile) {
    if (!m_controller) return;
    // The chooser writes every field back; only the chosen path is to change.
    DialogValues kept = readView();
    const bool chosen = binFile ? m_controller->browseBinFile() : m_controller->browseRawFile();
    if (!chosen) {
        writeView(kept);
        return;
    }
    const DialogValues now = m_controller->exchangeToView();
    (binFile ? kept.binPath : kept.rawPath) = binFile ? now.binPath : now.rawPath;
    writeView(kept);
}

void MainDialog::showServicePanel(bool shown) {
    m_servicePanelShown = shown;
    if (m_serviceAction->isChecked() != shown) m_serviceAction->setChecked(shown);
    const DialogUnits units = DialogUnits::forFont(font());
    setFixedSize(units.toPixels(shown ? kClientAreaWithServicePanel : kClientArea).size());
    // Hidden, the panel's controls leave the focus chain: no key reaches them.
    for (QWidget* widget : m_servicePanel) widget->setVisible(shown);
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

void MainDialog::log(const QString& line) {
    const QString stamped = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + line;
    m_log->appendPlainText(stamped);
    if (m_logFile.isOpen()) {
        m_logFile.write((stamped + u'\n').toUtf8());
        m_logFile.flush();
    }
}

bool MainDialog::copyLogTo(const QString& path) {
    m_logFile.setFileName(path);
    if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
    m_logFile.write((logText() + u'\n').toUtf8());
    m_logFile.flush();
    return true;
}

QString MainDialog::logText() const { return m_log->toPlainText(); }

bool MainDialog::saveLog(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    file.write(logText().toUtf8());
    file.write("\n");
    return file.commit();
}

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
    log(QStringLiteral("status: %1 (%2 %)").arg(QString::fromStdString(state.text)).arg(state.percent));
}

void MainDialog::showStepMessage(const std::string& text) {
    m_status->showStepMessage(QString::fromStdString(text));
    log(QStringLiteral("step: ") + QString::fromStdString(text));
}

void MainDialog::showWarning(const std::string& text) {
    const QString message = QString::fromStdString(text);
    log(QStringLiteral("warning: ") + message);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), message, QMessageBox::Ok, this);
    box.exec();
}

void MainDialog::showMessageBox(MessageBoxKind kind, const std::string& text) {
    const QString message = QString::fromStdString(text);
    log(QStringLiteral("message: ") + message);
    const QString caption = kind == MessageBoxKind::Application ? QCoreApplication::applicationName()
                                                                : QString::fromUtf8(captionOf(kind));
    QMessageBox box(kind == MessageBoxKind::Information ? QMessageBox::Information : QMessageBox::Critical, caption,
                    message, QMessageBox::Ok, this);
    box.exec();
}

void MainDialog::setOperationButtonsEnabled(bool enabled) {
    for (int id : kOperationButtons) control(id)->setEnabled(enabled);
}

void MainDialog::setControlEnabled(ControlId id, bool enabled) {
    if (QWidget* widget = control(static_cast<int>(id))) widget->setEnabled(enabled);
}

std::optional<std::string> MainDialog::chooseFile(const FileChooserRequest& request) {
    QFileDialog chooser(this, QString::fromStdString(request.title), QString(), qtFilter(request.filter));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    chooser.setFileMode(request.save ? QFileDialog::AnyFile
                        : request.pathMustExist ? QFileDialog::ExistingFile
                                                : QFileDialog::AnyFile);
    chooser.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.defaultExtension.empty()) chooser.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialName.empty()) chooser.selectFile(QString::fromStdString(request.initialName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    return chooser.selectedFiles().constFirst().toStdString();
}

void MainDialog::showValues(const DialogValues& values) { writeView(values); }

void MainDialog::transferProgress(std::uint64_t done, std::uint64_t total) {
    m_transfer->setValue(total == 0 ? 0 : static_cast<int>(done * 1000 / total));
}

void MainDialog::operationFinished(Operation op, std::uint32_t result) {
    log(QStringLiteral("%1 finished: %2")
            .arg(QString::fromUtf8(operationName(op)), result == 1 ? QStringLiteral("success") : QStringLiteral("failure")));
    if (m_closeWhenFinished) QDialog::reject();
}

void MainDialog::reject() {
    if (!m_controller || !m_controller->busy()) {
        QDialog::reject();
        return;
    }
    const auto answer = QMessageBox::question(this, windowTitle(),
                                              QStringLiteral("An operation is running. Close when it has finished?"));
    m_closeWhenFinished = answer == QMessageBox::Yes;
    // It may have finished while the question was open.
    if (m_closeWhenFinished && !m_controller->busy()) QDialog::reject();
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
