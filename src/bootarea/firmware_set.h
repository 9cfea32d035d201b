// The firmware set: the 1 to 10 image files a boot-area burn writes, each
// opened, its header skipped and its length rounded up to whole sectors.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bootarea/burn_verification.h"

namespace ib {

// Which burn the set is for: the two burns name, prompt for and check their
// members differently.
enum class BurnKind { BlockStorage, SerialFlash };

struct FirmwareMember {
    std::string path;  // also what the status line shows while it is written
    std::unique_ptr<std::ifstream> file;  // positioned at the image offset
    std::uint32_t imageOffset = 0;        // 18 with an image header, else 0
    std::uint64_t fileImageBytes = 0;     // bytes of image in the file
    std::uint64_t imageLength = 0;        // rounded up to a multiple of 512
    WrittenImage written;                 // what went to the recorder, when burns are verified
    // Exact: loadFirmwareSet refuses a member whose count does not fit an index table entry.
    std::uint32_t imageSectors() const { return static_cast<std::uint32_t>(imageLength / 512); }
};

struct FirmwareSet {
    std::vector<FirmwareMember> members;
    std::uint64_t totalBytes() const;
};

// Where the serial-flash burn looks for a relative name that the working
// folder does not hold.
inline constexpr const char* kSerialFlashFallbackFolder = "/opt/qubfw/k7x";

}  // namespace ib
