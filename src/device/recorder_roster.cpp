// The recorders present. See recorder_roster.h.
#include "device/recorder_roster.h"

#include <algorithm>

#include "device/recorder_discovery.h"
#include "seams/recorder_lock.h"

namespace ib {
namespace {

constexpr char kFirstLetter = 'D';
constexpr char kLastLetter = 'Z';

ListedMode modeOfMatch(int match) {
    if (match == 0) return ListedMode::BootRom;
    if (match == 1) return ListedMode::Updater;
    return ListedMode::CardReader;
}

// The letter of the first volume on `port`, with the in-use message when another program holds it.
void findVolume(VolumeProvider& volumes, RecorderEntry& entry, HolderCheck holders) {
    if (entry.portPath.empty()) return;
    for (char letter = kFirstLetter; letter <= kLastLetter; ++letter) {
        if (volumes.volumePort(letter) != entry.portPath) continue;
        entry.letter = letter;
        if (holders == HolderCheck::Look) lookForHolder(volumes, entry);
        return;
    }
}

}  // namespace

void lookForHolder(VolumeProvider& volumes, RecorderEntry& recorder) {
    if (recorder.letter == 0) return;
    std::string whyNot;
    const bool held = !volumes.openVolume(recorder.letter, &whyNot) && isRecorderInUseMessage(whyNot);
    recorder.heldBy = held ? whyNot : "";
}

std::string_view listedModeName(ListedMode mode) {
    switch (mode) {
        case ListedMode::BootRom: return "boot ROM";
        case ListedMode::Updater: return "updater";
        case ListedMode::CardReader: return "card reader";
    }
    return "";
}

std::string serialOfInstanceId(std::string_view instanceId) {
    // "USBSTOR\DISK&VEN_..&PROD_..&REV_..\<serial>&<lun>": the first two parts hold no
    // backslash, the serial a recorder reports may.
    std::string_view tail = instanceId;
    for (int part = 0; part < 2 && tail.find('\\') != std::string_view::npos; ++part)
        tail.remove_prefix(tail.find('\\') + 1);
    // A made-up name: a sysfs path on Linux, "7&2a0f3c&0&..." on Windows.
    if (tail.empty() || tail.front() == '/' || (tail.size() > 1 && tail[1] == '&')) return "";
    return std::string(tail.substr(0, tail.rfind('&')));
}

std::vector<RecorderEntry> recordersIn(const UsbStorageList& list) {
    std::vector<RecorderEntry> recorders;
    for (std::size_t i = 0; i < list.instanceIds.size(); ++i) {
        const int match = list.instanceIds[i] ? MatchDeviceName(*list.instanceIds[i]) : -1;
        if (match < 0) continue;
        RecorderEntry entry{i < list.portPaths.size() ? list.portPaths[i] : "",
                            serialOfInstanceId(*list.instanceIds[i]), modeOfMatch(match), 0, std::nullopt};
        const bool seen = !entry.portPath.empty() &&
                          std::any_of(recorders.begin(), recorders.end(),
                                      [&](const RecorderEntry& r) { return r.portPath == entry.portPath; });
        if (!seen) recorders.push_back(std::move(entry));  // else another LUN of the same recorder
    }
    return recorders;
}

std::vector<RecorderEntry> listRecorders(UsbStorageEnumerator& devices, VolumeProvider& volumes,
                                         HolderCheck holders) {
    std::vector<RecorderEntry> recorders = recordersIn(devices.presentDevices());
    for (RecorderEntry& entry : recorders) findVolume(volumes, entry, holders);
    return recorders;
}

std::vector<RecorderEntry> recordersNamed(const std::vector<RecorderEntry>& recorders, std::string_view pattern) {
    std::vector<RecorderEntry> named;
    for (const auto& r : recorders)
        if (r.portPath == pattern) return {r};
    for (const auto& r : recorders)
        if (!pattern.empty() && !r.serial.empty() && r.serial.starts_with(pattern)) named.push_back(r);
    return named;
}

}  // namespace ib

namespace ib {

bool recorderWithin(const RecorderEntry& recorder, std::string_view pattern) {
    if (pattern.empty()) return false;
    const std::string_view port = recorder.portPath;
    const bool belowPort = port.starts_with(pattern) && (port.size() == pattern.size() || port[pattern.size()] == '.');
    return belowPort || (!recorder.serial.empty() && recorder.serial.starts_with(pattern));
}

}  // namespace ib
