// Mounted partitions of a disk. See mounted_partitions.h.
#include "platform/linux/mounted_partitions.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace ib::platform {
namespace {

namespace fs = std::filesystem;

// mountinfo writes a blank, tab, newline and backslash in a path as \040,
// \011, \012 and \134.
std::string unescaped(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                           std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                                       [](char c) { return c >= '0' && c <= '7'; });
        if (!octal) {
            text += field[i];
            continue;
        }
        text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
        i += 3;
    }
    return text;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.find(' '), line.size());
        fields.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
    return fields;
}

// "8:16" from a sysfs dev file; empty when there is none.
std::string deviceNumberIn(const fs::path& folder) {
    std::ifstream file(folder / "dev");
    std::string number;
    std::getline(file, number);
    return number;
}

}  // namespace

std::vector<MountedPartition> mountsOfDevices(std::string_view mountinfo,
                                              const std::vector<std::string>& deviceNumbers) {
    // Fields: id, parent, major:minor, root, mount point, options, optional
    // fields up to "-", then file system type and mount source.
    std::vector<MountedPartition> mounts;
    std::istringstream lines{std::string(mountinfo)};
    for (std::string line; std::getline(lines, line);) {
        const auto fields = fieldsOf(line);
        const auto separator = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 6 || separator == fields.end() || fields.end() - separator < 3) continue;
        if (std::find(deviceNumbers.begin(), deviceNumbers.end(), fields[2]) == deviceNumbers.end()) continue;
        mounts.push_back({unescaped(separator[2]), unescaped(fields[4])});
    }
    return mounts;
}

std::vector<std::string> diskAndPartitionNumbers(const fs::path& diskSysPath) {
    std::vector<std::string> numbers;
    if (std::string disk = deviceNumberIn(diskSysPath); !disk.empty()) numbers.push_back(std::move(disk));
    std::error_code unreadable;
    for (const auto& entry : fs::directory_iterator(diskSysPath, unreadable)) {
        if (!fs::exists(entry.path() / "partition", unreadable)) continue;
        if (std::string part = deviceNumberIn(entry.path()); !part.empty()) numbers.push_back(std::move(part));
    }
    return numbers;
}

std::vector<std::vector<std::string>> udisksUnmountCommands(const std::vector<MountedPartition>& mounts) {
    std::vector<std::vector<std::string>> commands;
    for (const MountedPartition& m : mounts) {
        std::vector<std::string> command{"unmount", "-b", m.device};
        if (std::find(commands.begin(), commands.end(), command) == commands.end()) commands.push_back(command);
    }
    return commands;
}

std::string mountedStorageRefusal(const std::vector<MountedPartition>& mounts) {
    std::string where;
    std::string byDevice;
    std::string byPath;
    for (const MountedPartition& m : mounts) {
        const std::string separator = where.empty() ? "" : ", ";
        where += separator + m.device + " at " + m.mountPoint;
        byPath += " \"" + m.mountPoint + "\"";
    }
    for (const auto& command : udisksUnmountCommands(mounts))
        byDevice += (byDevice.empty() ? "" : " && ") + std::string("udisksctl ") + command[0] + " " + command[1] +
                    " " + command[2];
    return "The recorder's storage is mounted (" + where +
           "): writing under a mounted file system would destroy it. Unmount it first (" + byDevice +
           ", or sudo umount" + byPath + ") and try again.";
}

}  // namespace ib::platform
