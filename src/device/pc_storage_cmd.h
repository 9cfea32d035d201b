// The storage command interface over plain sector reads and writes on a
// physical disk. The controller owns one but never routes an operation to it;
// it is kept for service use and guarded against writing the machine's own disks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "device/general_storage_cmd.h"

namespace ib {

class PcStorageCmd final : public GeneralStorageCmd {
public:
    // Names the disk of a physical drive number, or nothing for a number that
    // names no drive.
    using DrivePathNamer = std::function<std::optional<std::string>(std::uint8_t)>;
    // Shows a message to the user (the only message of the command layer).
    using MessageSink = std::function<void(const std::string&)>;

    PcStorageCmd(DrivePathNamer namer, MessageSink message);

    void setDriveNumber(std::uint8_t number) { m_driveNumber = number; }
    std::uint8_t driveNumber() const { return m_driveNumber; }

    std::uint32_t Open() override { return 1; }
    std::uint32_t Download(std::uint32_t, std::span<const std::uint8_t>) override { return 1; }
    std::uint32_t StartDownloaded() override { return 1; }
    std::uint32_t ReadRegister(std::uint32_t, std::uint8_t&) override { return 1; }
    std::uint32_t WriteRegister(std::uint32_t, const std::uint8_t&) override { return 1; }
    // Any arguments: reports 16,777,216 sectors.
    std::uint32_t SelectStorage(std::int32_t, std::uint8_t, std::uint32_t& areaSectors) override;
    std::uint32_t ReadSectors(std::uint32_t first, std::uint32_t count,
                              std::span<std::uint8_t> buffer) override;
    // Refuses drives 0 and 1 with a message; verifies what it wrote by reading it back.
    std::uint32_t WriteSectors(std::uint32_t first, std::uint32_t count,
                               std::span<const std::uint8_t> buffer) override;
    std::uint32_t SetBootSize(std::uint32_t) override { return 1; }
    std::uint32_t FormatUserArea() override { return 1; }
    std::uint32_t Close() override { return 1; }
    std::int32_t GetMode() override { return m_mode; }
    std::uint32_t LowLevelFormat() override { return 1; }

private:
    DrivePathNamer m_namer;
    MessageSink m_message;
    std::uint8_t m_driveNumber = 255;  // no part of the program chooses a drive
    std::int32_t m_mode = kModeUpdater;
};

}  // namespace ib
