// The checks before the first write. See preflight.h.
#include "operation/preflight.h"

#include <fstream>
#include <map>

#include "operation/operation_context.h"
#include "seams/replacement_file.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

std::string sentSentence(SentBeforeCheck sent) {
    switch (sent) {
    case SentBeforeCheck::Nothing: return " Nothing was sent to the recorder.";
    case SentBeforeCheck::Identification:
        return " Only the commands that identify the recorder were sent; nothing on it was changed.";
    case SentBeforeCheck::IdentificationAndStorageSize:
        return " The recorder was only identified, asked for its storage size and given its updater where it "
               "needed one; nothing on its storage was changed.";
    }
    return {};
}

std::optional<std::string> inputProblem(const PlannedInput& input, const std::string& sentSoFar) {
    const std::string name = utf8FromPath(input.path);
    std::error_code ec;
    if (!fs::exists(input.path, ec))
        return "Cannot find " + name + ". Put the file there or correct its name in " + input.namedIn + "." +
               sentSoFar;
    if (!fs::is_regular_file(input.path, ec))
        return name + " is not a regular file. Name a file, not a folder or a device." + sentSoFar;
    if (!std::ifstream(input.path, std::ios::binary).is_open())
        return "Cannot read " + name + ". Check its permissions." + sentSoFar;
    const std::uint64_t size = fs::file_size(input.path, ec);
    if (ec) return "Cannot read " + name + ". Check its permissions." + sentSoFar;
    if (size > input.largestBytes)
        return name + " (" + std::to_string(size) + " bytes) does not fit " + input.destination + " (" +
               std::to_string(input.largestBytes) + " bytes). Use a smaller file." + sentSoFar;
    return std::nullopt;
}

// Whether the file can be written: an existing one opened for appending (which
// changes nothing); for a new one, a temporary file of its own name made beside
// it and removed again, so that another run making the same file meanwhile
// never meets a probe in its place.
bool canWrite(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec))
        return fs::is_regular_file(path, ec) && std::ofstream(path, std::ios::binary | std::ios::app).is_open();
    ReplacementFile probe(path);  // removed again unless committed
    return probe.isOpen();
}

// Bytes each folder must still find. Every output is written whole under a
// temporary name beside the file it replaces, which stays until the new one is
// complete: both need room at once.
std::map<fs::path, std::uint64_t> bytesNeededPerFolder(const std::vector<PlannedOutput>& outputs) {
    std::map<fs::path, std::uint64_t> needed;
    for (const PlannedOutput& output : outputs) needed[output.path.parent_path()] += output.bytes;
    return needed;
}

std::optional<std::string> outputProblem(const std::vector<PlannedOutput>& outputs, const RoomProbe& room,
                                         const std::string& sentSoFar) {
    for (const PlannedOutput& output : outputs)
        if (!canWrite(output.path))
            return "Cannot create " + utf8FromPath(output.path) +
                   ". Make its folder writable or choose another working folder." + sentSoFar;
    for (const auto& [folder, bytes] : bytesNeededPerFolder(outputs)) {
        const std::optional<std::uint64_t> free = room(folder);
        if (free && *free < bytes)
            return utf8FromPath(folder) + " has room for " + std::to_string(*free) + " bytes, but " +
                   std::to_string(bytes) + " are to be written there. Free some space." + sentSoFar;
    }
    return std::nullopt;
}

std::optional<std::string> toolProblem(const PlannedTool& tool, const std::string& sentSoFar) {
    std::error_code ec;
    if (fs::is_regular_file(tool.located, ec)) return std::nullopt;
    return "The helper tool " + tool.name + " was not found. Reinstall the program or put " + tool.name +
           " in the working folder." + sentSoFar;
}

}  // namespace

std::optional<std::string> findPreflightProblem(const PreflightPlan& plan, const RoomProbe& room,
                                                SentBeforeCheck sent) {
    const std::string sentence = sentSentence(sent);
    for (const PlannedInput& input : plan.inputs)
        if (auto problem = inputProblem(input, sentence)) return problem;
    for (const PlannedTool& tool : plan.tools)
        if (auto problem = toolProblem(tool, sentence)) return problem;
    return outputProblem(plan.outputs, room, sentence);
}

std::optional<std::string> failedPreflightStep(const OperationContext& ctx, const std::vector<PreflightStep>& steps,
                                               SentBeforeCheck sent) {
    for (const PreflightStep& step : steps) {
        if (auto problem = findPreflightProblem(step.plan, roomForFilesIn, sent)) {
            ctx.report.messageBox(*problem);
            return step.errorMessage;
        }
    }
    return std::nullopt;
}

std::vector<std::string> describePreflightPlan(const PreflightPlan& plan) {
    std::vector<std::string> lines;
    for (const PlannedInput& input : plan.inputs)
        lines.push_back("read " + utf8FromPath(input.path) + (input.destination.empty() ? "" : " into " + input.destination));
    for (const PlannedTool& tool : plan.tools) lines.push_back("run " + utf8FromPath(tool.located));
    for (const PlannedOutput& output : plan.outputs)
        lines.push_back("write " + utf8FromPath(output.path) + " (" + std::to_string(output.bytes) + " bytes)");
    return lines;
}

}  // namespace ib
