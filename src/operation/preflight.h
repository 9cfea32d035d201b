// The checks an operation makes on the PC before its first command that
// changes the recorder: a recorder left half updated may not start again, so
// every problem the PC can see is found while the recorder is still whole.
// An operation lists the files it will read and write and the helper tools
// it will run; the first problem found is named with what to do about it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "seams/file_system_room.h"

namespace ib {

// A file the operation will read, and the largest size that fits where it goes.
struct PlannedInput {
    std::filesystem::path path;
    std::uint64_t largestBytes = UINT64_MAX;
    std::string destination;  // where it goes, for the message: "the boot area", "partition Part_1"
    std::string namedIn = "DiskInfo.ini";  // where the user names the file, for the message
};

// A file the operation will write in full.
struct PlannedOutput {
    std::filesystem::path path;
    std::uint64_t bytes = 0;
};

// A helper tool as the operation's locator found it.
struct PlannedTool {
    std::string name;
    std::filesystem::path located;
};

struct PreflightPlan {
    std::vector<PlannedInput> inputs;
    std::vector<PlannedOutput> outputs;
    std::vector<PlannedTool> tools;
};

// What the recorder has received when a check runs; the problem's message
// ends by saying so. Checks that need no recorder run before its first
// command; the others name the commands that told them what they needed.
enum class SentBeforeCheck {
    Nothing,
    Identification,                // Open's identifying commands
    IdentificationAndStorageSize,  // those, the storage selection and, when needed, the updater
};

// The first problem of the plan as a message naming it and what to do, or
// nullopt when every input reads and fits, every output can be made and has
// room, and every tool is there. Checking an output that does not exist yet
// creates and removes it.
[[nodiscard]] std::optional<std::string> findPreflightProblem(const PreflightPlan& plan,
                                                              const RoomProbe& room = roomForFilesIn,
                                                              SentBeforeCheck sent = SentBeforeCheck::Nothing);

// The plan of one step of an operation and the message the step shows when it fails.
struct PreflightStep {
    PreflightPlan plan;
    std::string errorMessage;  // empty: the step has no message of its own
};

struct OperationContext;

// Checks the steps in order; at the first problem shows it and gives the
// failing step's own message for the caller to show with its clean-up.
[[nodiscard]] std::optional<std::string> failedPreflightStep(const OperationContext& ctx,
                                                             const std::vector<PreflightStep>& steps,
                                                             SentBeforeCheck sent = SentBeforeCheck::Nothing);

// What the plan would read and write, one line each, for a dry run.
std::vector<std::string> describePreflightPlan(const PreflightPlan& plan);

}  // namespace ib
