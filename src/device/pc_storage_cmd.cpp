// Physical-drive sector access. See pc_storage_cmd.h.
#include "device/pc_storage_cmd.h"

#include <fstream>
#include <vector>

#include "device/sector.h"

namespace ib {
namespace {

constexpr std::uint32_t kReportedAreaSectors = 0x1000000;

// Opens an existing drive for reading and writing; each transfer opens and
// closes it, so no handle is held between calls.
std::optional<std::fstream> openDrive(const std::optional<std::string>& path) {
    if (!path) return std::nullopt;
    std::fstream drive(*path, std::ios::in | std::ios::out | std::ios::binary);
    if (!drive.is_open()) return std::nullopt;
    return drive;
}

bool readAt(std::fstream& drive, std::uint64_t offset, std::span<std::uint8_t> out) {
    drive.seekg(static_cast<std::streamoff>(offset));
    if (!drive) return false;
    drive.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return drive.gcount() == static_cast<std::streamsize>(out.size());
}

}  // namespace

PcStorageCmd::PcStorageCmd(DrivePathNamer namer, MessageSink message)
    : m_namer(std::move(namer)), m_message(std::move(message)) {}

std::uint32_t PcStorageCmd::SelectStorage(std::int32_t, std::uint8_t, std::uint32_t& areaSectors) {
    areaSectors = kReportedAreaSectors;
    return 1;
}

std::uint32_t PcStorageCmd::ReadSectors(std::uint32_t first, std::uint32_t count,
                                        std::span<std::uint8_t> buffer) {
    const std::uint64_t bytes = std::uint64_t{count} * kSectorSize;
    if (buffer.size() < bytes) return 0;
    auto drive = openDrive(m_namer(m_driveNumber));
    if (!drive) return 0;
    return readAt(*drive, std::uint64_t{first} * kSectorSize, buffer.first(bytes)) ? 1 : 0;
}

std::uint32_t PcStorageCmd::WriteSectors(std::uint32_t first, std::uint32_t count,
                                         std::span<const std::uint8_t> buffer) {
    // Drives 0 and 1 are where the machine's own system usually lives.
    if (m_driveNumber == 0 || m_driveNumber == 1) {
        if (m_message) m_message("physical disk id is dangerous!");
        return 0;
    }
    const std::uint64_t bytes = std::uint64_t{count} * kSectorSize;
    if (buffer.size() < bytes) return 0;
    auto drive = openDrive(m_namer(m_driveNumber));
    if (!drive) return 0;
    const std::uint64_t offset = std::uint64_t{first} * kSectorSize;
    drive->seekp(static_cast<std::streamoff>(offset));
    drive->write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(bytes));
    drive->flush();
    if (!*drive) return 0;
    // A write counts only when the same bytes read back.
    std::vector<std::uint8_t> check(bytes);
    if (!readAt(*drive, offset, check)) return 0;
    return std::equal(check.begin(), check.end(), buffer.begin()) ? 1 : 0;
}

}  // namespace ib
