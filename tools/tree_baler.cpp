// TreeBaler -file <image> -folder <folder> -size <sectors>: packs a folder, subfolders
// included, into a FAT image file of exactly <sectors> x 512 bytes. mkfs.fat formats the
// image and mcopy fills it; the image appears under its name only once it is complete.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <exception>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/child_process.h"
#include "tools/fat_format.h"
#include "tools/folder_survey.h"
#include "tools/pending_file.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage =
    "usage: TreeBaler -file <image path> -folder <folder path> -size <sectors>";
constexpr std::uint64_t kSectorBytes = 512;
// Keeps each mcopy command line far below the kernel's limit on argument bytes.
constexpr std::size_t kMaxArgumentBytesPerCopy = 64 * 1024;

struct BaleRequest {
    fs::path image;
    fs::path folder;
    std::string size;
};

// mtools checks a FAT image against a physical disk's geometry unless told not to; the
// user's own mtools settings could change how names are stored; file names on Linux are
// UTF-8, and mtools needs to know that to write them as FAT long names.
const std::vector<std::string> kMtoolsEnvironment{"MTOOLS_SKIP_CHECK=1", "MTOOLSRC=/dev/null",
                                                  "LC_ALL=C.UTF-8"};

BaleRequest parseArguments(std::span<char* const> arguments) {
    std::optional<std::string> image, folder, size;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string option = arguments[i];
        std::optional<std::string>* value = option == "-file"     ? &image
                                            : option == "-folder" ? &folder
                                            : option == "-size"   ? &size
                                                                  : nullptr;
        if (value == nullptr) throw ToolFailure("unknown option \"" + option + "\"\n" + std::string(kUsage));
        if (i + 1 == arguments.size()) throw ToolFailure(option + " needs a value\n" + std::string(kUsage));
        if (value->has_value()) throw ToolFailure(option + " is given twice\n" + std::string(kUsage));
        *value = arguments[i + 1];
    }
    if (!image || !folder || !size) throw ToolFailure(std::string(kUsage));
    return {*image, *folder, *size};
}

std::uint64_t parseSectors(const std::string& text) {
    long long sectors = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), sectors);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        throw ToolFailure("-size \"" + text + "\" is not a whole number of sectors");
    }
    if (sectors <= 0) throw ToolFailure("the size must be a positive number of sectors, not " + text);
    return static_cast<std::uint64_t>(sectors);
}

FatFormat formatFor(std::uint64_t sectors) {
    if (auto format = chooseFatFormat(sectors)) return *format;
    const std::string image = "an image of " + std::to_string(sectors) + " sectors";
    if (sectors < kMinImageSectors) {
        throw ToolFailure(image + " is too small for a FAT file system (" + std::to_string(kMinImageSectors) +
                          " sectors at least)");
    }
    throw ToolFailure(image + " is too large for a FAT file system");
}

// The image must not be created inside the folder: mcopy would pack the growing image into itself.
void requireImageOutsideFolder(const fs::path& image, const fs::path& folder) {
    const fs::path folderPath = fs::canonical(folder);
    const fs::path imageFolder = fs::weakly_canonical(fs::absolute(image).parent_path());
    const auto firstDifference =
        std::mismatch(folderPath.begin(), folderPath.end(), imageFolder.begin(), imageFolder.end());
    if (firstDifference.first == folderPath.end()) {
        throw ToolFailure("the image " + quoted(image) + " would lie inside the folder " + quoted(folder) +
                          " that it packs");
    }
}

fs::path requireProgram(std::string_view name) {
    if (auto program = findProgram(name)) return *program;
    throw ToolFailure(std::string(name) + " was not found; install dosfstools and mtools");
}

// Runs one step's child process and returns what it printed; throws with the child's
// own output when it fails.
std::string runStep(const std::vector<std::string>& argv, const std::string& failureMessage) {
    ChildOutcome outcome = runChild(argv, kMtoolsEnvironment);
    if (outcome.exitStatus == 0) return std::move(outcome.output);
    const std::string ending = outcome.exitStatus < 0 ? " did not run to its end"
                                                      : " exit status " + std::to_string(outcome.exitStatus);
    std::string message = failureMessage + " (" + fs::path(argv[0]).filename().string() + ending + ")";
    if (!outcome.output.empty()) message += ":\n" + outcome.output;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    throw ToolFailure(message);
}

void formatImage(const PendingFile& image, const FatFormat& format) {
    std::vector<std::string> argv{requireProgram("mkfs.fat").string()};
    const auto options = mkfsOptions(format);
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(image.temporaryPath().string());
    runStep(argv, "formatting the image as FAT" + std::to_string(format.fatBits) + " failed");
}

// Copies the folder's entries into the image's root, subfolders recursively (mcopy -s),
// keeping modification times (-m) and stopping at the first failure (-Q). The entries go
// as source arguments and only "::/" as target, because mcopy reads target names as
// wildcard patterns and a folder named "x[1]" would not be found.
void copyFolder(const PendingFile& image, const std::vector<fs::path>& entries, std::uint64_t sectors) {
    const std::vector<std::string> command{requireProgram("mcopy").string(), "-i",
                                           image.temporaryPath().string(), "-s", "-m", "-Q"};
    const std::string failure = "copying the folder into the image failed; its contents may not fit in " +
                                std::to_string(sectors) + " sectors";
    for (auto next = entries.begin(); next != entries.end();) {
        std::vector<std::string> argv = command;
        std::size_t argumentBytes = 0;
        for (; next != entries.end() && argumentBytes < kMaxArgumentBytesPerCopy; ++next) {
            argv.push_back(next->string());
            argumentBytes += argv.back().size() + 1;
        }
        argv.push_back("::/");
        runStep(argv, failure);
    }
}

// Reads the image's tree back with mdir and compares it with the folder's. mtools stores
// a few names differently from how they were given (a short non-ASCII name, say, comes
// back in other letter case), and a recorder looking a file up by name would miss it.
void verifyNames(const PendingFile& image, const std::vector<std::string>& packedPaths) {
    if (packedPaths.empty()) return;  // mdir reports an empty root as an error
    const std::vector<std::string> argv{requireProgram("mdir").string(), "-/", "-b", "-i",
                                        image.temporaryPath().string(), "::"};
    std::set<std::string> stored;
    std::istringstream lines(runStep(argv, "reading the image back failed"));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("::/")) stored.insert(line.substr(3));
    }
    std::string changed;
    for (const auto& path : packedPaths) {
        if (!stored.contains(path)) changed += "\n  " + path;
    }
    if (!changed.empty()) throw ToolFailure("FAT would not keep these names as they are:" + changed);
}

void baleFolder(const BaleRequest& request) {
    const std::uint64_t sectors = parseSectors(request.size);
    const FatFormat format = formatFor(sectors);
    FolderSurvey survey = surveyFolder(request.folder);
    if (survey.fileBytes > sectors * kSectorBytes) {
        throw ToolFailure("the folder's files (" + std::to_string(survey.fileBytes) +
                          " bytes) do not fit in " + std::to_string(sectors) + " sectors");
    }
    requireImageOutsideFolder(request.image, request.folder);
    // Absolute paths, so that no name can be taken for an option by mcopy.
    for (auto& entry : survey.topLevelEntries) entry = fs::absolute(entry);

    PendingFile image(request.image);
    // mkfs.fat formats an existing file in place; -C would take KiB, not sectors.
    if (ftruncate(image.descriptor(), static_cast<off_t>(sectors * kSectorBytes)) != 0) {
        throw ToolFailure(withSystemError("cannot size the image " + quoted(request.image), errno));
    }
    formatImage(image, format);
    copyFolder(image, survey.topLevelEntries, sectors);
    verifyNames(image, survey.packedPaths);
    image.commit();
}

}  // namespace
}  // namespace ib::tools

int main(int argc, char** argv) {
    try {
        const auto arguments = std::span<char* const>(argv, static_cast<std::size_t>(argc)).subspan(1);
        ib::tools::baleFolder(ib::tools::parseArguments(arguments));
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "TreeBaler: " << failure.what() << '\n';
        return 1;
    }
}
