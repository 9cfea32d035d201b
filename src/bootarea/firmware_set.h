// The firmware set: the 1 to 10 image files a boot-area burn writes, each
// opened, its header skipped and its length rounded up to whole sectors.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bootarea/burn_verification.h"
#include "operation/operation_context.h"
#include "operation/preflight.h"

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

// How a platform reads firmware names from "DiskInfo.ini": which names are
// absolute, and where the serial-flash burn looks for a relative name that the
// working folder does not hold.
struct FirmwareNameRules {
    bool driveLetterNames;       // absolute: "X:\..."; otherwise a leading '/'
    const char* fallbackFolder;  // no trailing separator
    char separator;
};
inline constexpr FirmwareNameRules kPosixFirmwareNames{false, "/opt/qubfw/k7x", '/'};
inline constexpr FirmwareNameRules kWindowsFirmwareNames{true, "C:\\qubfw\\k7x", '\\'};
// The rules of the platform the program is built for.
extern const FirmwareNameRules kHostFirmwareNames;

bool isAbsoluteFirmwareName(std::string_view name, const FirmwareNameRules& rules);

// Where a firmware name from "DiskInfo.ini" is looked for: an absolute name as
// it is, a relative one in the working folder (for the serial flash, in the
// fallback folder when the working folder does not hold it).
std::filesystem::path firmwarePath(const std::filesystem::path& workingDirectory, BurnKind kind,
                                   const std::string& name,
                                   const FirmwareNameRules& rules = kHostFirmwareNames);

// The members of the N that "DiskInfo.ini" names (the rest are chosen by the user), in order.
std::vector<std::filesystem::path> namedFirmwarePaths(const OperationContext& ctx, std::uint32_t n, BurnKind kind);

// The named members as inputs of a burn: each must fit an index table entry.
PreflightPlan firmwarePreflightPlan(const OperationContext& ctx, std::uint32_t n, BurnKind kind);

// The N members, open and positioned, named by "DiskInfo.ini" or chosen by the
// user; nullopt after the failure's message (or none for a cancelled chooser).
// Without an area size nothing is checked.
std::optional<FirmwareSet> loadFirmwareSet(const OperationContext& ctx, std::uint32_t n, BurnKind kind,
                                           std::optional<std::uint32_t> areaSectors);

}  // namespace ib
