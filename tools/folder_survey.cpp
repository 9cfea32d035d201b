// Pre-flight walk of the folder to pack. See folder_survey.h.
#include "tools/folder_survey.h"

#include <algorithm>
#include <array>
#include <map>

#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxFatFileBytes = 0xFFFFFFFFu;
constexpr std::string_view kForbiddenCharacters = "\"*/:<>?\\|";
// Windows, and so a card reader on it, refuses these as names, with or without extension.
constexpr std::array<std::string_view, 4> kReservedNames{"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kReservedPortPrefixes{"COM", "LPT"};

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool isReservedDeviceName(std::string_view name) {
    const std::string base = upperAscii(name.substr(0, name.find('.')));
    if (std::find(kReservedNames.begin(), kReservedNames.end(), base) != kReservedNames.end()) return true;
    return base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
           std::find(kReservedPortPrefixes.begin(), kReservedPortPrefixes.end(), base.substr(0, 3)) !=
               kReservedPortPrefixes.end();
}

void surveyEntry(const fs::directory_entry& entry, const std::string& packedPath, FolderSurvey& survey);

// Every entry of `directory`, checked and sorted by name. `packedPrefix` is the
// directory's own path in the image ("" for the folder packed, else "sub/").
std::vector<fs::directory_entry> surveyDirectory(const fs::path& directory, const std::string& packedPrefix,
                                                 FolderSurvey& survey) {
    std::vector<fs::directory_entry> entries;
    for (const auto& entry : fs::directory_iterator(directory)) entries.push_back(entry);
    std::sort(entries.begin(), entries.end());

    std::map<std::string, std::string> namesByFoldedName;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (auto problem = fatNameProblem(name)) throw ToolFailure(quoted(entry.path()) + ": " + *problem);
        const auto [earlier, isNew] = namesByFoldedName.emplace(upperAscii(name), name);
        if (!isNew) {
            throw ToolFailure(quoted(entry.path()) + " and \"" + earlier->second +
                              "\" differ only in letter case, which FAT does not tell apart");
        }
        surveyEntry(entry, packedPrefix + name, survey);
    }
    return entries;
}

void surveyEntry(const fs::directory_entry& entry, const std::string& packedPath, FolderSurvey& survey) {
    const bool isLink = entry.is_symlink();
    if (entry.is_directory() && !isLink) {
        survey.packedPaths.push_back(packedPath + "/");
        surveyDirectory(entry.path(), packedPath + "/", survey);
    } else if (entry.is_regular_file()) {
        const std::uint64_t size = entry.file_size();
        if (size > kMaxFatFileBytes) {
            throw ToolFailure(quoted(entry.path()) + " is larger than a FAT file can be (4 GiB - 1 bytes)");
        }
        survey.fileBytes += size;
        survey.packedPaths.push_back(packedPath);
    } else if (entry.is_directory()) {
        // A link to a folder may lead back up the tree, and mcopy would follow it forever.
        throw ToolFailure(quoted(entry.path()) + " is a symbolic link to a folder, which is not packed");
    } else {
        throw ToolFailure(quoted(entry.path()) + " is neither a regular file nor a folder");
    }
}

}  // namespace

FolderSurvey surveyFolder(const fs::path& folder) {
    if (!fs::is_directory(folder)) throw ToolFailure(quoted(folder) + " is not a folder");
    FolderSurvey survey;
    for (const auto& entry : surveyDirectory(folder, "", survey)) {
        survey.topLevelEntries.push_back(entry.path());
    }
    return survey;
}

std::optional<std::string> fatNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return "the name holds a control character";
        if (kForbiddenCharacters.find(c) != std::string_view::npos) {
            return std::string("the name holds '") + c + "', which FAT names cannot hold";
        }
    }
    if (name.back() == '.' || name.back() == ' ') {
        return "the name ends in a dot or a space, which FAT would drop";
    }
    if (isReservedDeviceName(name)) return "the name is reserved for a device on FAT volumes";
    return std::nullopt;
}

}  // namespace ib::tools
