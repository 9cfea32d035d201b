// Builds a PartitionPlan from "DiskInfo.ini": global keys, first sector, then
// each record's size, unit, kind and names, with the running fixed total.
#include "userarea/partition_plan_reader.h"

#include <fstream>

#include "config/private_profile.h"
#include "device/sector.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr std::string_view kPlanSection = "User_Area_Partition";

std::uint32_t firstSectorOf(const PartitionPlan& plan) {
    std::uint32_t first = plan.alignmentEnabled ? plan.alignmentSize : 1;
    if (plan.layout == PlanLayout::Shared && first < plan.keepCodeSectors)
        first =
            plan.alignmentEnabled ? alignUp(plan.keepCodeSectors, plan.alignmentSize) : plan.keepCodeSectors;
    return first;
}

// "auto" in any letter case means 0; otherwise the leading decimal number, so "-1" is the rest marker.
std::uint32_t sizeFromText(std::string_view text) {
    return sameProfileName(text, "auto") ? 0 : leadingDecimal(text);
}

// Sectors that a file needs, or 0 when it does not open. The count is taken
// from the full file length: a file of 4 GiB or more must not wrap to a small
// partition.
std::uint64_t sectorsOfFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || !std::ifstream(path, std::ios::binary)) return 0;
    const std::uintmax_t length = std::filesystem::file_size(path, error);
    return error ? 0 : sectorsFor(length);
}

// A size taken from the file; a count that does not fit below the rest marker marks the record instead.
void sizeFromFile(PartitionRecord& record, const std::filesystem::path& workingDirectory) {
    const std::uint64_t sectors = sectorsOfFile(workingDirectoryPath(workingDirectory, record.fileName));
    record.fileTooLarge = sectors >= kRestOfCapacity;
    record.sizeSectors = record.fileTooLarge ? 0 : static_cast<std::uint32_t>(sectors);
}

PartitionRecord readRecord(const PrivateProfile& profile, const std::string& section,
                           const std::filesystem::path& workingDirectory) {
    PartitionRecord record;
    record.sizeSectors = sizeFromText(profile.readString(section, "Size", "auto", kPlanSizeCapacity));
    record.takesRest = record.sizeSectors == kRestOfCapacity;
    record.unitNumber = profile.readInt(section, "UnitNumber", 0);
    record.fileName = profile.readString(section, "Type", "", kPlanNameCapacity);
    if (record.fileName == "FAT") {
        record.kind = PartitionKind::Fat;
        record.fileName = profile.readString(section, "RawFileName", "", kPlanNameCapacity);
        record.dirPath = profile.readString(section, "DirPath", "", kPlanNameCapacity);
    } else if (record.fileName == "RAW") {
        record.kind = PartitionKind::Raw;
        record.fileName = profile.readString(section, "RawFileName", "", kPlanNameCapacity);
        if (record.sizeSectors == 0) sizeFromFile(record, workingDirectory);
    }
    return record;
}

}  // namespace

bool checkPlanFile(const std::filesystem::path& configPath) { return PrivateProfile::load(configPath).has_value(); }

std::string planFileOpenError(const std::filesystem::path& configPath) {
    return "Error 0x14: can't open " + utf8FromPath(configPath) + " \n";
}

std::filesystem::path workingDirectoryPath(const std::filesystem::path& workingDirectory,
                                           std::string_view name) {
    // A rooted name drops its root: it names a file inside the folder too.
    return workingDirectory / pathFromUtf8(name).relative_path();
}

PartitionPlan readPartitionPlan(const std::filesystem::path& configPath,
                                const std::filesystem::path& workingDirectory, PlanLayout layout) {
    const PrivateProfile profile = PrivateProfile::load(configPath).value_or(PrivateProfile{});
    PartitionPlan plan;
    plan.layout = layout;
    const std::uint32_t count = profile.readInt(kPlanSection, "PartitionNumber", 0);
    plan.alignmentSize = profile.readInt(kPlanSection, "AlignmentSize", 1);
    plan.alignmentEnabled = (profile.readInt(kPlanSection, "AlignmentEnable", 0) & 0xFFu) != 0;
    plan.keepCodeSectors = profile.readInt(kPlanSection, "SDKeepCodeSize", 0);
    plan.firstSector = firstSectorOf(plan);
    plan.fixedTotal = plan.firstSector;

    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string section = "Part_" + std::to_string(i);
        PartitionRecord& record = plan.records.emplace_back(readRecord(profile, section, workingDirectory));
        if (record.takesRest) {
            plan.restIndex = i;
        } else {
            if (plan.alignmentEnabled) record.sizeSectors = alignUp(record.sizeSectors, plan.alignmentSize);
            plan.fixedTotal += record.sizeSectors;
        }
        // A missing section gives a record of size 0, which can never be placed;
        // reading further would only let a huge PartitionNumber exhaust memory.
        if (!profile.hasSection(section)) break;
    }
    return plan;
}

}  // namespace ib
