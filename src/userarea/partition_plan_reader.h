// Reads the user-area partition plan from "DiskInfo.ini": the keys of section
// User_Area_Partition and one record per section Part_0, Part_1, ... Used by the
// device operations and the SD image build before they place the plan.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "userarea/partition_plan.h"

namespace ib {

// Whether the configuration file opens for reading, by the reader's own rules
// (a named pipe or a folder does not open).
bool checkPlanFile(const std::filesystem::path& configPath);
// The message a caller shows when checkPlanFile fails.
std::string planFileOpenError(const std::filesystem::path& configPath);

// A file named in the configuration, always inside the working directory: a
// name with a leading "/" is taken relative to that folder as well.
std::filesystem::path workingDirectoryPath(const std::filesystem::path& workingDirectory,
                                           std::string_view name);

// Reads the plan; a missing file or key gives the defaults. A RAW record with
// Size "auto" or 0 is sized from its file in the working directory. The plan is
// not checked here: placePlan refuses what cannot be placed.
PartitionPlan readPartitionPlan(const std::filesystem::path& configPath,
                                const std::filesystem::path& workingDirectory, PlanLayout layout);

}  // namespace ib
