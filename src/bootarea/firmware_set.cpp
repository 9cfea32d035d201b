// Loading the firmware set: paths from "DiskInfo.ini" or file choosers, the
// image header rule, whole sectors and the running space check.
#include "bootarea/firmware_set.h"


#include "bootarea/private_profile.h"
#include "device/image_header.h"
#include "device/sector.h"
#include "device/text_format.h"
#include "update/image_burner_controller.h"

namespace ib {
namespace {

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

std::filesystem::path CImageBurnerDlg::firmwarePath(BurnKind kind, const std::string& name) const {
    // An absolute name stays as it is; a relative one is the working folder's.
    const auto inWorkdir = workingDirectory() / name;
    if (kind == BurnKind::BlockStorage || (!name.empty() && name.front() == '/')) return inWorkdir;
    std::error_code ec;
    if (std::filesystem::exists(inWorkdir, ec)) return inWorkdir;
    return std::filesystem::path(kSerialFlashFallbackFolder) / name;
}

std::optional<FirmwareSet> CImageBurnerDlg::loadFirmwareSet(std::uint32_t n, BurnKind kind,
                                                            std::optional<std::uint32_t> areaSectors) {
    const auto config = PrivateProfile::load(configurationPath()).value_or(PrivateProfile{});
    const std::uint32_t named = config.readInt("DEFAULT_FW", "number", 0);
    FirmwareSet set;
    std::uint64_t runningTotal = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        FirmwareMember member;
        if (i < named) {
            member.path = firmwarePath(kind, config.readString("DEFAULT_FW", "file" + std::to_string(i), "", 100))
                              .string();
        } else {
            FileChooserRequest request;
            request.filter = "All File(*.*)|*.*||";
            request.allowMultiSelect = true;
            request.pathMustExist = true;
            request.initialName = memberPrompt(kind, n, i, set.members.empty() ? "" : set.members.back().path);
            auto chosen = m_env.ui.chooseFile(request);
            if (!chosen) return std::nullopt;
            member.path = *chosen;
        }
        member.file = std::make_unique<std::ifstream>(member.path, std::ios::binary);
        if (!*member.file || std::filesystem::is_directory(member.path)) {
            if (kind == BurnKind::SerialFlash) messageBox("Cannot Open " + member.path, MessageBoxKind::Application);
            return std::nullopt;
        }
        member.file->seekg(0, std::ios::end);
        const auto fileLength = static_cast<std::uint64_t>(member.file->tellg());
        member.file->seekg(0);
        const bool header = HasImageHeader(*member.file);
        member.imageOffset = header ? kImageHeaderSize : 0;
        member.file->seekg(member.imageOffset);
        member.fileImageBytes = imageLength(fileLength, header);
        member.imageLength = static_cast<std::uint32_t>(sectorsFor(member.fileImageBytes) * kSectorSize);
        runningTotal += member.imageLength;
        // The set fits when its sectors plus the index table sector fit the area;
        // an area of 0 sectors holds nothing.
        if (areaSectors && (*areaSectors == 0 || runningTotal / kSectorSize > *areaSectors - 1)) {
            const auto total = static_cast<std::int32_t>(runningTotal);
            const auto area = static_cast<std::int32_t>(*areaSectors);
            messageBox(kind == BurnKind::BlockStorage
                           ? formatText("Code size(%d) is larger than boot sapce (%d) !", total, area)
                           : formatText("Code size(%d) is larger than boot space (%d) !", total, area));
            return std::nullopt;
        }
        set.members.push_back(std::move(member));
    }
    return set;
}

}  // namespace ib
