// Commands that stop at a requested stop. See stoppable_commands.h.
#include "operation/stoppable_commands.h"

#include "operation/storage_type.h"

namespace ib {
namespace {

using Kind = RecorderChanges::Kind;

std::string storageName(std::int32_t code) {
    const bool known = code >= 0 && code < static_cast<std::int32_t>(std::size(kStorageNames));
    return known ? kStorageNames[code] : "type " + std::to_string(code);
}

std::string counted(std::uint64_t count, const char* one) {
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

}  // namespace

void RecorderChanges::add(Kind kind, std::uint64_t count, std::pair<std::int32_t, std::uint8_t> where) {
    if (!m_changes.empty() && m_changes.back().kind == kind && m_changes.back().where == where)
        m_changes.back().count += count;
    else
        m_changes.push_back({kind, where, count});
}

std::uint64_t RecorderChanges::sectorsWritten() const {
    std::uint64_t sectors = 0;
    for (const Change& change : m_changes)
        if (change.kind == Kind::Updater || change.kind == Kind::Sectors) sectors += change.count;
    return sectors;
}

std::string RecorderChanges::describe() const {
    std::string text;
    for (const Change& change : m_changes) {
        if (!text.empty()) text += ", ";
        switch (change.kind) {
        case Kind::Updater: text += "the updater (" + counted(change.count, "sector") + ")"; break;
        case Kind::UpdaterStart: text += "the updater's start"; break;
        case Kind::BootSize: text += "a new boot size"; break;
        case Kind::LowLevelFormat: text += "a low-level format"; break;
        case Kind::Sectors:
            text += counted(change.count, "sector") + " of the " + storageName(change.where.first) +
                    (change.where.second == kBootArea ? " boot area" : " user area");
            break;
        case Kind::UserAreaFormat: text += "a user-area format"; break;
        case Kind::Registers: text += counted(change.count, "register write"); break;
        }
    }
    return text;
}

void StoppableCommands::beginOperation() {
    m_refused = false;
    m_restarting = false;
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
    const std::uint32_t opened = m_recorder.Open();
    if (opened && m_recorder.GetMode() == kModeUpdater) m_restarting = false;
    return opened;
}

std::uint32_t StoppableCommands::Download(std::uint32_t count, std::span<const std::uint8_t> data) {
    if (!mayGoOn() || !m_recorder.Download(count, data)) return 0;
    m_changes.add(Kind::Updater, count);
    return 1;
}

std::uint32_t StoppableCommands::StartDownloaded() {
    if (!mayGoOn()) return 0;
    // A recorder that restarts at once may leave the bus before it answers:
    // a start that was sent counts as a restart whatever the answer.
    m_restarting = true;
    if (!m_recorder.StartDownloaded()) return 0;
    m_changes.add(Kind::UpdaterStart);
    m_selected.reset();
    return 1;
}

std::uint32_t StoppableCommands::ReadRegister(std::uint32_t address, std::uint8_t& value) {
    return mayGoOn() ? m_recorder.ReadRegister(address, value) : 0;
}

std::uint32_t StoppableCommands::WriteRegister(std::uint32_t address, const std::uint8_t& value) {
    if (!mayGoOn() || !m_recorder.WriteRegister(address, value)) return 0;
    m_changes.add(Kind::Registers);
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
    m_changes.add(Kind::Sectors, count, m_selected.value_or(std::pair<std::int32_t, std::uint8_t>{}));
    return 1;
}

std::uint32_t StoppableCommands::SetBootSize(std::uint32_t sectors) {
    if (!mayGoOn() || !m_recorder.SetBootSize(sectors)) return 0;
    m_changes.add(Kind::BootSize);
    return 1;
}

std::uint32_t StoppableCommands::FormatUserArea() {
    if (!mayGoOn() || !m_recorder.FormatUserArea()) return 0;
    m_changes.add(Kind::UserAreaFormat);
    return 1;
}

std::uint32_t StoppableCommands::LowLevelFormat() {
    if (!mayGoOn() || !m_recorder.LowLevelFormat()) return 0;
    m_changes.add(Kind::LowLevelFormat);
    return 1;
}

}  // namespace ib
