// The settings an operation runs with: a snapshot of the bound values taken
// when it starts, never changed while it runs. An operation that needs other
// settings for one part of itself (the raw write's serial flash, the SD
// image's shared layout) passes a changed copy down.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "operation/storage_type.h"

namespace ib {

// A range of sectors to read back: first sector and count.
struct ReadBackRange {
    std::uint32_t first = 0;
    std::uint32_t count = 1;
};

struct OperationSettings {
    // nullopt when the storage box names no known storage (the device
    // operations refuse with a UI parameter error).
    std::optional<StorageType> storage;
    // moviNAND's layout: its boot area is an area of its own, its user area starts a new index table.
    bool moviNandLayout = false;
    std::uint32_t indexTableSector = 0;
    std::uint32_t bootSizeUnits = 4;  // 4 MB units
    std::string firmwareNumber = "1";  // the firmware number box's text
    bool configureBootArea = false;
    bool changeBootSize = false;
    bool configureUserArea = false;
    ReadBackRange bootRead;
    ReadBackRange userRead;
    std::string rawPath;
    std::string binPath;
    // Read every burnt image and the index table sector back and compare.
    bool verifyBurns = false;
    std::filesystem::path workingDirectory;

    std::filesystem::path configurationPath() const { return workingDirectory / "DiskInfo.ini"; }
    // The firmware number text's value in 8 bits: "257" counts as 1, "abc" as 0.
    std::uint32_t firmwareCount() const;
};

}  // namespace ib
