// The one way a partition plan is placed: read from "DiskInfo.ini", resolved
// against the target's capacity, checked, and placed into the target's index
// table sector. The device's configuration, the SD image and the dry run all
// place it here, so they agree on every verdict.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bootarea/index_table_sector.h"
#include "operation/operation_context.h"
#include "userarea/partition_plan.h"
#include "userarea/plan_placement.h"
#include "userarea/plan_validation.h"

namespace ib {

// What a plan is placed against.
struct PlanTarget {
    PlanLayout layout = PlanLayout::Shared;
    // The user area's size; none for the SD image, where a rest partition reaches to the end.
    std::optional<std::uint32_t> capacity;
    IndexTableSector sector;  // the index table sector the entries go into
};

// Which operation reads the recorder's target; its refusal of an unburnt recorder says so.
enum class PlanPurpose { PartitionSetting, Configuration };

// The recorder's target: the user area selected (its size is the capacity),
// the configuration file checked, and the index table sector: a new one for
// moviNAND, else the recorder's own, which the firmware burn must have
// written. nullopt after the message.
std::optional<PlanTarget> recorderPlanTarget(const OperationContext& ctx, PlanPurpose purpose);

// A target built without a recorder, from a given capacity: the configuration
// file checked and a new index table sector. On the shared layout the
// recorder's own sector (whether it was burnt, where its boot images lie) is
// not known, so it is not checked. nullopt after the message.
std::optional<PlanTarget> givenCapacityPlanTarget(const OperationContext& ctx, std::uint32_t capacity);

// What placing the plan gave.
struct PlanPreview {
    PartitionPlan plan;                  // as read, the rest partition resolved
    PlanVerdict verdict;                 // the plan check's
    std::vector<std::uint32_t> entries;  // the entry of each record placed, in record order
    bool placed = false;                 // every record placed and every content step done
};

// Places the plan into `target.sector`, running `content` after each record.
// A refused plan (the check, or a content file longer than its partition) is
// shown as a step message and changes nothing.
PlanPreview placeUserAreaPlan(const OperationContext& ctx, PlanTarget& target, const ContentStep& content);

}  // namespace ib
