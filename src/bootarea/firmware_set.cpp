// Loading the firmware set: paths from "DiskInfo.ini" or file choosers, the
// image header rule, whole sectors and the running space check.
#include "bootarea/firmware_set.h"

#include <algorithm>

#include "config/private_profile.h"
#include "device/image_header.h"
#include "device/input_file.h"
#include "device/sector.h"
#include "device/text_format.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

// The sector count field of an index table entry is 32 bits wide.
constexpr std::uint64_t kLargestEntrySectors = 0xFFFFFFFF;

// The pre-filled name of the chooser that asks for member `i` of `n`.
std::string memberPrompt(BurnKind kind, std::uint32_t n, std::uint32_t i, const std::string& previousPath) {
    if (kind == BurnKind::BlockStorage) return formatText("open number %u firmware", i);
    switch (n) {
        case 1: return "Open Bootcode";
        case 2: return formatText("Open Bootloader and Firmware file %u", i);
        case 3: return formatText("Open number %u firmware", i);
        default: return previousPath;
    }
}

}  // namespace

std::uint64_t FirmwareSet::totalBytes() const {
    std::uint64_t total = 0;
    for (const auto& m : members) total += m.imageLength;
    return total;
}

#ifdef _WIN32
const FirmwareNameRules kHostFirmwareNames = kWindowsFirmwareNames;
#else
const FirmwareNameRules kHostFirmwareNames = kPosixFirmwareNames;
#endif

bool isAbsoluteFirmwareName(std::string_view name, const FirmwareNameRules& rules) {
    if (rules.driveLetterNames) return name.size() >= 3 && name[1] == ':' && name[2] == '\\';
    return name.starts_with('/');
}

std::filesystem::path firmwarePath(const std::filesystem::path& workingDirectory, BurnKind kind,
                                   const std::string& name, const FirmwareNameRules& rules) {
    if (isAbsoluteFirmwareName(name, rules)) return pathFromUtf8(name);
    const auto inWorkdir = workingDirectory / pathFromUtf8(name);
    if (kind == BurnKind::BlockStorage) return inWorkdir;
    std::error_code ec;
    if (std::filesystem::exists(inWorkdir, ec)) return inWorkdir;
    return pathFromUtf8(std::string(rules.fallbackFolder) + rules.separator + name);
}

std::vector<std::filesystem::path> namedFirmwarePaths(const OperationContext& ctx, std::uint32_t n, BurnKind kind) {
    const auto config = PrivateProfile::load(ctx.settings.configurationPath()).value_or(PrivateProfile{});
    const std::uint32_t named = std::min(n, config.readInt("DEFAULT_FW", "number", 0));
    std::vector<std::filesystem::path> paths;
    for (std::uint32_t i = 0; i < named; ++i)
        paths.push_back(firmwarePath(ctx.settings.workingDirectory, kind,
                                     config.readString("DEFAULT_FW", "file" + std::to_string(i), "", 100)));
    return paths;
}

PreflightPlan firmwarePreflightPlan(const OperationContext& ctx, std::uint32_t n, BurnKind kind) {
    PreflightPlan plan;
    // An image header only shortens the image, so the file's own size is the bound.
    for (auto& path : namedFirmwarePaths(ctx, n, kind))
        plan.inputs.push_back({std::move(path), kLargestEntrySectors * kSectorSize, "an index table entry"});
    return plan;
}

std::optional<FirmwareSet> loadFirmwareSet(const OperationContext& ctx, std::uint32_t n, BurnKind kind,
                                           std::optional<std::uint32_t> areaSectors) {
    const std::vector<std::filesystem::path> named = namedFirmwarePaths(ctx, n, kind);
    FirmwareSet set;
    std::uint64_t runningTotal = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        FirmwareMember member;
        if (i < named.size()) {
            member.path = utf8FromPath(named[i]);
        } else {
            FileChooserRequest request;
            request.filter = "All File(*.*)|*.*||";
            request.allowMultiSelect = true;
            request.pathMustExist = true;
            request.initialName = memberPrompt(kind, n, i, set.members.empty() ? "" : set.members.back().path);
            auto chosen = ctx.report.chooseFile(request);
            if (!chosen) return std::nullopt;
            member.path = *chosen;
        }
        auto opened = openInputFile(pathFromUtf8(member.path));
        if (!opened) {
            if (kind == BurnKind::SerialFlash)
                ctx.report.messageBox("Cannot Open " + member.path, MessageBoxKind::Application);
            return std::nullopt;
        }
        member.file = std::make_unique<std::ifstream>(std::move(opened->stream));
        const bool header = HasImageHeader(*member.file);
        member.imageOffset = header ? kImageHeaderSize : 0;
        member.file->seekg(member.imageOffset);
        member.fileImageBytes = imageLength(opened->length, header);
        member.imageLength = sectorsFor(member.fileImageBytes) * kSectorSize;
        if (member.imageLength / kSectorSize > kLargestEntrySectors) {
            ctx.report.messageBox(
                formatText("Error : %s (%llu bytes) has more sectors than an index table entry can count !",
                           member.path.c_str(), static_cast<unsigned long long>(member.fileImageBytes)));
            return std::nullopt;
        }
        runningTotal += member.imageLength;
        // The set fits when its sectors plus the index table sector fit the area;
        // an area of 0 sectors holds nothing.
        if (areaSectors && (*areaSectors == 0 || runningTotal / kSectorSize > *areaSectors - 1)) {
            const auto total = static_cast<unsigned long long>(runningTotal);
            ctx.report.messageBox(formatText(kind == BurnKind::BlockStorage
                                                 ? "Code size(%llu) is larger than boot sapce (%u) !"
                                                 : "Code size(%llu) is larger than boot space (%u) !",
                                             total, *areaSectors));
            return std::nullopt;
        }
        set.members.push_back(std::move(member));
    }
    return set;
}

}  // namespace ib
