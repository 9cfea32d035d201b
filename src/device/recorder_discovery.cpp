// Recorder recognition. See recorder_discovery.h.
#include "device/recorder_discovery.h"

#include <algorithm>
#include <cctype>

namespace ib {
namespace {

std::string upperCased(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

}  // namespace

int FindRecorder(UsbStorageEnumerator& devices, const std::function<void()>& onUnreadableId) {
    const UsbStorageList list = devices.presentDevices();
    if (!list.available) return 0;
    for (const auto& id : list.instanceIds) {
        if (!id) {
            if (onUnreadableId) onUnreadableId();
            return 0;
        }
        for (std::size_t i = 0; i < kRecorderIds.size(); ++i)
            if (id->find(kRecorderIds[i]) != std::string::npos) return static_cast<int>(i) + 1;
    }
    return 0;
}

int MatchDeviceName(std::string_view name) {
    const std::string upperName = upperCased(name);
    for (std::size_t i = 0; i < kRecorderIds.size(); ++i)
        if (upperName.find(upperCased(kRecorderIds[i])) != std::string::npos) return static_cast<int>(i);
    return -1;
}

}  // namespace ib
