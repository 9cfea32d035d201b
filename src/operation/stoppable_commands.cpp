// Commands that stop at a requested stop. See stoppable_commands.h.
#include "operation/stoppable_commands.h"

#include "operation/storage_type.h"

namespace ib {
namespace {

std::string storageName(std::int32_t code) {
    const bool known = code >= 0 && code < static_cast<std::int32_t>(std::size(kStorageNames));
    return known ? kStorageNames[code] : "type " + std::to_string(code);
}

}  // namespace

std::string RecorderChanges::describe() const {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (updaterSectors) add("the updater (" + std::to_string(updaterSectors) + " sectors)");
    if (updaterStarted) add("the updater's start");
    if (bootSizeChanged) add("a new boot size");
    if (lowLevelFormatted) add("a low-level format");
    for (const auto& [where, sectors] : sectorsWritten)
        add(std::to_string(sectors) + " sectors of the " + storageName(where.first) +
            (where.second == kBootArea ? " boot area" : " user area"));
    if (userAreaFormatted) add("a user-area format");
    if (registersWritten) add(std::to_string(registersWritten) + " register writes");
    return text;
}

void StoppableCommands::beginOperation() {
    m_refused = false;
    m_changes = {};
}

bool StoppableCommands::mayGoOn() {
    if (!m_stop.requested()) return true;
    m_refused = true;
    return false;
}

std::uint32_t StoppableCommands::Open() {
    if (!mayGoOn()) return 0;
    // A recorder opened anew has no selection of an earlier run.
    m_selected.reset();
    return m_recorder.Open();
}

std::uint32_t StoppableCommands::Download(std::uint32_t count, std::span<const std::uint8_t> data) {
    if (!mayGoOn() || !m_recorder.Download(count, data)) return 0;
    m_changes.updaterSectors += count;
    return 1;
}

std::uint32_t StoppableCommands::StartDownloaded() {
    if (!mayGoOn() || !m_recorder.StartDownloaded()) return 0;
    m_changes.updaterStarted = true;
    m_selected.reset();
    return 1;
}

std::uint32_t StoppableCommands::ReadRegister(std::uint32_t address, std::uint8_t& value) {
    return mayGoOn() ? m_recorder.ReadRegister(address, value) : 0;
}

std::uint32_t StoppableCommands::WriteRegister(std::uint32_t address, const std::uint8_t& value) {
    if (!mayGoOn() || !m_recorder.WriteRegister(address, value)) return 0;
    ++m_changes.registersWritten;
    return 1;
}

std::uint32_t StoppableCommands::SelectStorage(std::int32_t storageType, std::uint8_t area,
                                               std::uint32_t& areaSectors) {
    if (!mayGoOn() || !m_recorder.SelectStorage(storageType, area, areaSectors)) return 0;
    m_selected = {storageType, area};
    return 1;
}

std::uint32_t StoppableCommands::ReadSectors(std::uint32_t first, std::uint32_t count,
                                             std::span<std::uint8_t> buffer) {
    return mayGoOn() ? m_recorder.ReadSectors(first, count, buffer) : 0;
}

std::uint32_t StoppableCommands::WriteSectors(std::uint32_t first, std::uint32_t count,
                                              std::span<const std::uint8_t> buffer) {
    if (!mayGoOn() || !m_recorder.WriteSectors(first, count, buffer)) return 0;
    if (m_selected) m_changes.sectorsWritten[*m_selected] += count;
    return 1;
}

std::uint32_t StoppableCommands::SetBootSize(std::uint32_t sectors) {
    if (!mayGoOn() || !m_recorder.SetBootSize(sectors)) return 0;
    m_changes.bootSizeChanged = true;
    return 1;
}

std::uint32_t StoppableCommands::FormatUserArea() {
    if (!mayGoOn() || !m_recorder.FormatUserArea()) return 0;
    m_changes.userAreaFormatted = true;
    return 1;
}

std::uint32_t StoppableCommands::LowLevelFormat() {
    if (!mayGoOn() || !m_recorder.LowLevelFormat()) return 0;
    m_changes.lowLevelFormatted = true;
    return 1;
}

}  // namespace ib
