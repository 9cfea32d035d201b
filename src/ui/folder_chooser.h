// The Qt face's folder chooser for the working folder, and the start of the
// program again with other arguments (in another working folder).
#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ib::ui {

// The folder the user picks, starting at `start`; nullopt when cancelled.
std::optional<std::filesystem::path> chooseFolder(QWidget* parent, const std::filesystem::path& start);

// Starts this program anew with `arguments` (without the program's name);
// false when it did not start.
[[nodiscard]] bool startProgramAgain(const std::vector<std::string>& arguments);

// This run's arguments, without the program's name.
std::vector<std::string> programArguments();

}  // namespace ib::ui
