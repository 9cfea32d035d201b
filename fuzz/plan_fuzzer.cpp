// The user-area plan from arbitrary "DiskInfo.ini" text: read in both layouts,
// resolved against a capacity when the file names one, checked and placed. A
// plan is placed exactly when the check passes; a refused plan changes no byte
// of the index table sector and calls no content step.
//
// Besides the program's own keys, the input may hold a section [Recorder] with
// Capacity (the user area's size in sectors); without it no capacity is known,
// as for the SD image. The index table sector is DEFAULT_FW's MBR, and entry 0
// lists a boot image right behind it, which a shared-layout plan must avoid.
#include <algorithm>
#include <cstdint>

#include "bootarea/index_table_sector.h"
#include "config/private_profile.h"
#include "fuzz_support.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_layout.h"
#include "userarea/plan_placement.h"
#include "userarea/plan_validation.h"

namespace {

// A content file for RAW records of size "auto": "part.bin", 3 sectors and a bit.
void writeContentFile() {
    static const bool written = [] {
        const std::vector<std::uint8_t> bytes(3 * 512 + 100, 0x5A);
        ib::fuzz::writeScratchFile("part.bin", bytes);
        return true;
    }();
    (void)written;
}

void placeAndCheck(ib::PartitionPlan plan, const ib::PrivateProfile& profile) {
    if (profile.hasSection("Recorder")) ib::resolveRestPartition(plan, profile.readInt("Recorder", "Capacity", 0));
    const std::uint32_t indexTableSector = profile.readInt("DEFAULT_FW", "MBR", 0);
    ib::IndexTableSector sector = ib::IndexTableSector::fresh();
    sector.setEntry(0, indexTableSector + 1, 16, ib::kFirmwareAttributes);
    const ib::IndexTableSector before = sector;

    const ib::PlanVerdict verdict = ib::checkPlan(plan, sector, indexTableSector);
    ib::fuzz::require(!ib::describePlanVerdict(verdict).empty(), "every verdict has words");
    const std::vector<ib::PlannedPartition> layout = ib::layOutPlan(plan);
    std::size_t steps = 0;
    const bool placed = ib::placePlan(plan, sector, indexTableSector,
                                      [&](const ib::PartitionRecord&, std::uint32_t entry, std::uint32_t start) {
                                          const ib::PlannedPartition& planned = layout.at(steps++);
                                          ib::fuzz::require(entry == planned.entryNumber && start == planned.startSector,
                                                            "a record is placed where the layout puts it");
                                          ib::fuzz::require(entry < ib::kIndexTableEntryCount,
                                                            "a placed entry lies inside the table");
                                          return true;
                                      });
    ib::fuzz::require(placed == verdict.ok(), "a plan is placed exactly when its check passes");
    if (placed) {
        ib::fuzz::require(steps == plan.records.size(), "every record of a placed plan gets its content step");
    } else {
        ib::fuzz::require(steps == 0 && std::ranges::equal(sector.bytes(), before.bytes()),
                          "a refused plan changes nothing");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeContentFile();
    const auto config = ib::fuzz::writeScratchFile("DiskInfo.ini", {data, size});
    const ib::PrivateProfile profile = ib::PrivateProfile::parse(ib::fuzz::asText(data, size));
    for (const ib::PlanLayout layout : {ib::PlanLayout::MoviNand, ib::PlanLayout::Shared})
        placeAndCheck(ib::readPartitionPlan(config, ib::fuzz::scratchFolder(), layout), profile);
    return 0;
}
