// The plan check: plan-wide faults first, then each record in placement order,
// using the exact layout of plan_layout.h so that no 32-bit wrap goes unseen.
#include "userarea/plan_validation.h"

#include <algorithm>
#include <limits>

#include "userarea/plan_layout.h"

namespace ib {
namespace {

// 0xFFFFFFFF marks a free entry and the unresolved rest size, so no partition may reach it.
constexpr std::uint64_t kSectorLimit = 0xFFFFFFFF;

struct Extent {
    std::uint64_t start;
    std::uint64_t end;  // one past the last sector
};

bool overlaps(Extent a, Extent b) { return a.start < b.end && b.start < a.end; }

Extent extentOf(const PlannedPartition& planned) {
    if (planned.unbounded) return {planned.startSector, std::numeric_limits<std::uint64_t>::max()};
    return {planned.startSector, planned.startSector + planned.sectorCount};
}

std::uint64_t exactFixedTotal(const PartitionPlan& plan) {
    std::uint64_t total = plan.firstSector;
    for (const PartitionRecord& record : plan.records)
        if (!record.takesRest) total += record.sizeSectors;
    return total;
}

PlanFault restFault(const PartitionPlan& plan, std::size_t index) {
    if (!plan.capacitySectors) {
        // Without a capacity the record keeps 0xFFFFFFFF; only a last partition can reach to the end.
        return index + 1 == plan.records.size() ? PlanFault::None : PlanFault::RestNotLast;
    }
    if (index >= kNoRestRecord) return PlanFault::RestUnresolved;
    if (exactFixedTotal(plan) >= *plan.capacitySectors || plan.records[index].sizeSectors == 0)
        return PlanFault::NoRoomForRest;
    return PlanFault::None;
}

bool coversBootArea(const PartitionPlan& plan, Extent extent, const IndexTableSector& sector) {
    if (overlaps(extent, {0, plan.keepCodeSectors})) return true;
    for (std::size_t k = 0; k < kBootAreaEntryCount; ++k) {
        const IndexTableEntry image = sector.entry(k);
        if (image.startSector == kFreeEntryStart || image.sectorCount == 0) continue;
        if (overlaps(extent, {image.startSector, std::uint64_t{image.startSector} + image.sectorCount}))
            return true;
    }
    return false;
}

PlanFault positionFault(const PartitionPlan& plan, const PlannedPartition& planned,
                        const IndexTableSector& sector, std::uint32_t indexTableSector) {
    const Extent extent = extentOf(planned);
    if (planned.unbounded ? extent.start >= kSectorLimit : extent.end > kSectorLimit)
        return PlanFault::BeyondSectorRange;
    if (plan.capacitySectors && extent.end > *plan.capacitySectors) return PlanFault::BeyondCapacity;
    if (overlaps(extent, {indexTableSector, std::uint64_t{indexTableSector} + 1}))
        return PlanFault::CoversIndexTable;
    if (plan.layout == PlanLayout::Shared && coversBootArea(plan, extent, sector))
        return PlanFault::CoversBootImage;
    return PlanFault::None;
}

PlanFault recordFault(const PartitionPlan& plan, const PlannedPartition& planned,
                      const IndexTableSector& sector, std::uint32_t indexTableSector) {
    const PartitionRecord& record = plan.records[planned.recordIndex];
    if (planned.entryNumber >= kIndexTableEntryCount) return PlanFault::EntryBeyondTable;
    if (record.takesRest)
        if (const PlanFault fault = restFault(plan, planned.recordIndex); fault != PlanFault::None)
            return fault;
    if (record.fileTooLarge) return PlanFault::FileTooLarge;
    if (record.sizeSectors == 0) return PlanFault::EmptyPartition;
    return positionFault(plan, planned, sector, indexTableSector);
}

}  // namespace

PlanVerdict checkPlan(const PartitionPlan& plan, const IndexTableSector& sector,
                      std::uint32_t indexTableSector) {
    if (plan.alignmentEnabled && plan.alignmentSize == 0) return {PlanFault::ZeroAlignmentUnit, 0};
    const auto firstRest = std::find_if(plan.records.begin(), plan.records.end(),
                                        [](const PartitionRecord& r) { return r.takesRest; });
    if (firstRest != plan.records.end()) {
        const auto secondRest = std::find_if(std::next(firstRest), plan.records.end(),
                                             [](const PartitionRecord& r) { return r.takesRest; });
        if (secondRest != plan.records.end())
            return {PlanFault::SeveralRestPartitions,
                    static_cast<std::size_t>(secondRest - plan.records.begin())};
    }
    for (const PlannedPartition& planned : layOutPlan(plan)) {
        const PlanFault fault = recordFault(plan, planned, sector, indexTableSector);
        if (fault != PlanFault::None) return {fault, planned.recordIndex};
    }
    return {};
}

std::string describePlanVerdict(const PlanVerdict& verdict) {
    const std::string part = "Part_" + std::to_string(verdict.recordIndex);
    switch (verdict.fault) {
    case PlanFault::None: return "partition plan can be placed";
    case PlanFault::ZeroAlignmentUnit: return "alignment is enabled with an AlignmentSize of 0";
    case PlanFault::SeveralRestPartitions: return part + ": a second partition with Size -1";
    case PlanFault::EntryBeyondTable: return part + ": UnitNumber names an entry beyond entry 30";
    case PlanFault::RestUnresolved: return part + ": Size -1 is only resolved in Part_0 to Part_29";
    case PlanFault::RestNotLast:
        return part + ": Size -1 without a known capacity must be the last partition";
    case PlanFault::NoRoomForRest: return part + ": the fixed sizes leave no room for the Size -1 partition";
    case PlanFault::FileTooLarge: return part + ": the file is too large for an index table entry";
    case PlanFault::EmptyPartition: return part + ": partition size is 0";
    case PlanFault::BeyondSectorRange: return part + ": partition passes the last addressable sector";
    case PlanFault::BeyondCapacity: return part + ": partition ends beyond the user area";
    case PlanFault::CoversIndexTable: return part + ": partition covers the index table sector";
    case PlanFault::CoversBootImage: return part + ": partition overlaps the boot area";
    }
    return part + ": partition plan refused";
}

}  // namespace ib
