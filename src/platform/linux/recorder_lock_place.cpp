// Where recorder lock files lie. See recorder_lock_place.h.
#include "platform/linux/recorder_lock_place.h"

#include <unistd.h>

#include <cstdlib>
#include <regex>

namespace ib::platform {

std::filesystem::path recorderLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const char* folder : {"/run/lock", runtime})
        if (folder && *folder && ::access(folder, W_OK) == 0) return folder;
    std::error_code ec;
    const auto temporary = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : temporary;
}

std::string recorderIdentity(const UsbScsiDisk& disk) {
    // A USB interface is "<port path>:<configuration>.<interface>", such as "1-2.3:1.0".
    static const std::regex usbInterface(R"(^(\d+-\d+(\.\d+)*):\d+\.\d+$)");
    for (const auto& part : std::filesystem::path(disk.sysPath)) {
        std::smatch match;
        const std::string name = part.string();
        if (std::regex_match(name, match, usbInterface)) return match[1].str();
    }
    return disk.kernelName;
}

}  // namespace ib::platform
