// The storage command interface: every operation reaches the recorder through
// it. Each call is one request and reports only success (non-zero) or failure (0).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ib {

enum DeviceMode : std::int32_t { kModeNone = 0, kModeBootRom = 1, kModeUpdater = 2 };

enum StorageArea : std::uint8_t { kUserArea = 0, kBootArea = 1 };

class GeneralStorageCmd {
public:
    virtual ~GeneralStorageCmd() = default;

    // Finds the recorder and opens it; sets the mode. 0 means no recorder.
    virtual std::uint32_t Open() = 0;
    // Sends `count` sectors of code to the recorder's memory. A count of 0 fails.
    virtual std::uint32_t Download(std::uint32_t count, std::span<const std::uint8_t> data) = 0;
    // Starts the downloaded code; the recorder then leaves the bus.
    virtual std::uint32_t StartDownloaded() = 0;
    virtual std::uint32_t ReadRegister(std::uint32_t address, std::uint8_t& value) = 0;
    virtual std::uint32_t WriteRegister(std::uint32_t address, const std::uint8_t& value) = 0;
    // Makes an area the target of later sector transfers; reports its size in sectors.
    virtual std::uint32_t SelectStorage(std::int32_t storageType, std::uint8_t area,
                                        std::uint32_t& areaSectors) = 0;
    // At most 128 sectors; `buffer` holds at least count × 512 bytes.
    virtual std::uint32_t ReadSectors(std::uint32_t first, std::uint32_t count,
                                      std::span<std::uint8_t> buffer) = 0;
    // Fewer than 65,536 sectors; `buffer` holds at least count × 512 bytes.
    virtual std::uint32_t WriteSectors(std::uint32_t first, std::uint32_t count,
                                       std::span<const std::uint8_t> buffer) = 0;
    virtual std::uint32_t SetBootSize(std::uint32_t sectors) = 0;
    virtual std::uint32_t FormatUserArea() = 0;
    // Releases the device handle; always succeeds.
    virtual std::uint32_t Close() = 0;
    // The mode found by the last Open (0 before any and after a failed one).
    virtual std::int32_t GetMode() = 0;
    virtual std::uint32_t LowLevelFormat() = 0;
    // After an Open that found no recorder: why a recorder that is there could
    // not be taken (another program has it), for the user; empty otherwise.
    virtual std::string openRefusal() const { return {}; }
};

}  // namespace ib
