#include "ui/folder_chooser.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QProcess>

#include "app/main_dialog_logic.h"
#include "seams/utf8_path.h"

namespace ib::ui {

std::optional<std::filesystem::path> chooseFolder(QWidget* parent, const std::filesystem::path& start) {
    QFileDialog chooser(parent, QString::fromUtf8(kFolderChooserTitle), QString::fromStdString(utf8FromPath(start)));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return std::nullopt;
    return pathFromUtf8(chooser.selectedFiles().constFirst().toStdString());
}

bool startProgramAgain(const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), list);
}

std::vector<std::string> programArguments() {
    const QStringList all = QCoreApplication::arguments();
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < all.size(); ++i) arguments.push_back(all[i].toStdString());
    return arguments;
}

}  // namespace ib::ui
