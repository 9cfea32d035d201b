// The user-area partition plan: the records of "DiskInfo.ini" (sections
// User_Area_Partition and Part_0, Part_1, ...) with their sizes in sectors.
// Read with readPartitionPlan, resolved against the capacity, then placed (plan_placement.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ib {

// moviNAND: the user area is an area of its own and entry number = UnitNumber.
// Shared (every other storage, and the SD image): entries 0 to 9 belong to the
// boot area and entry number = 10 + UnitNumber.
enum class PlanLayout { MoviNand, Shared };

enum class PartitionKind : std::uint8_t { NoContent = 0, Fat = 1, Raw = 2 };

// Size read from a Size of -1: the partition that takes the rest of the capacity.
inline constexpr std::uint32_t kRestOfCapacity = 0xFFFFFFFF;
// `restIndex` when no record takes the rest.
inline constexpr std::uint32_t kNoRestRecord = 30;
inline constexpr std::size_t kPlanNameCapacity = 100;  // RawFileName, DirPath, Type: 99 characters
inline constexpr std::size_t kPlanSizeCapacity = 16;   // Size: 15 characters

struct PartitionRecord {
    std::uint32_t sizeSectors = 0;
    std::uint32_t unitNumber = 0;
    PartitionKind kind = PartitionKind::NoContent;
    std::string fileName;    // RawFileName for FAT and RAW; the Type text otherwise (unused)
    std::string dirPath;     // FAT only
    bool takesRest = false;  // Size was -1; stays set after the size has been resolved
    bool fileTooLarge = false;  // RAW sized from its file: more sectors than an entry can count (size 0)
};

struct PartitionPlan {
    PlanLayout layout = PlanLayout::Shared;
    std::vector<PartitionRecord> records;
    bool alignmentEnabled = false;
    std::uint32_t alignmentSize = 1;
    std::uint32_t keepCodeSectors = 0;  // SDKeepCodeSize; shared layout only
    std::uint32_t firstSector = 1;
    std::uint32_t restIndex = kNoRestRecord;
    std::uint32_t fixedTotal = 1;
    // Set by resolveRestPartition. Absent means no capacity is known (the SD
    // image): a -1 record then keeps 0xFFFFFFFF and must be the last record.
    std::optional<std::uint32_t> capacitySectors;
};

// Entry number of UnitNumber 0 in a layout.
std::uint32_t entryBase(PlanLayout layout);
// Attributes of a partition's index table entry: 3 for FAT, 1 otherwise.
std::uint32_t entryAttributes(PartitionKind kind);

// Rounds to a multiple of `unit` in unsigned 32-bit arithmetic (wrapping like
// the recorder's own tools). A unit of 0 leaves the value unchanged; a plan with
// alignment on and unit 0 is refused before placement.
std::uint32_t alignUp(std::uint32_t value, std::uint32_t unit);
std::uint32_t alignDown(std::uint32_t value, std::uint32_t unit);

// Gives the rest-of-capacity record (when `restIndex` is below 30) the capacity
// minus `fixedTotal`, rounded down to the alignment, and remembers the capacity
// so that the placement checks can compare the plan with it. Wrapping results
// are left as computed: the placement check refuses them.
void resolveRestPartition(PartitionPlan& plan, std::uint32_t capacitySectors);

}  // namespace ib
