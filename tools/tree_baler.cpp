// TreeBaler -file <image> -folder <folder> -size <sectors> [-label <label>] [-serial <XXXX-XXXX>]:
// packs a folder, subfolders included, into a FAT12, FAT16 or FAT32 image file of exactly
// <sectors> x 512 bytes, written by the project's own FAT writer. The image appears under
// its name only once it is complete; whatever the folder holds that FAT cannot hold as it
// is, is refused before anything is written.
#include <algorithm>
#include <charconv>
#include <exception>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "seams/utf8_path.h"
#include "tools/fat/folder_tree.h"
#include "tools/fat/volume_geometry.h"
#include "tools/fat/volume_identity.h"
#include "tools/fat/volume_layout.h"
#include "tools/fat/volume_writer.h"
#include "tools/pending_file.h"
#include "tools/pending_file_sink.h"
#include "tools/tool_entry.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage =
    "usage: TreeBaler -file <image path> -folder <folder path> -size <sectors>"
    " [-label <volume label>] [-serial <XXXX-XXXX>]";

struct BaleRequest {
    fs::path image;
    fs::path folder;
    std::string size;
    std::optional<std::string> label;
    std::optional<std::string> serial;
};

BaleRequest parseArguments(std::span<const std::string> arguments) {
    std::optional<std::string> image, folder, size, label, serial;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string option = arguments[i];
        std::optional<std::string>* value = option == "-file"     ? &image
                                            : option == "-folder" ? &folder
                                            : option == "-size"   ? &size
                                            : option == "-label"  ? &label
                                            : option == "-serial" ? &serial
                                                                  : nullptr;
        if (value == nullptr) throw ToolFailure("unknown option \"" + option + "\"\n" + std::string(kUsage));
        if (i + 1 == arguments.size()) throw ToolFailure(option + " needs a value\n" + std::string(kUsage));
        if (value->has_value()) throw ToolFailure(option + " is given twice\n" + std::string(kUsage));
        *value = arguments[i + 1];
    }
    if (!image || !folder || !size) throw ToolFailure(std::string(kUsage));
    return {pathFromUtf8(*image), pathFromUtf8(*folder), *size, label, serial};
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

// Eight hexadecimal digits, with a dash in the middle as Windows shows a serial or without.
std::uint32_t parseSerial(const std::string& text) {
    std::string digits = text;
    if (digits.size() == 9 && digits[4] == '-') digits.erase(4, 1);
    std::uint32_t serial = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), serial, 16);
    if (digits.size() != 8 || error != std::errc{} || end != digits.data() + digits.size()) {
        throw ToolFailure("-serial \"" + text + "\" is not a serial number like 1A2B-3C4D");
    }
    return serial;
}

fat::VolumeGeometry geometryFor(std::uint64_t sectors) {
    if (auto geometry = fat::chooseGeometry(sectors)) return *geometry;
    const std::string image = "an image of " + std::to_string(sectors) + " sectors";
    if (sectors < fat::kMinVolumeSectors) {
        throw ToolFailure(image + " is too small for a FAT file system (" + std::to_string(fat::kMinVolumeSectors) +
                          " sectors at least)");
    }
    throw ToolFailure(image + " is too large for a FAT file system");
}

// An image inside the folder it packs would be packed by the next run, into itself.
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

void baleFolder(const BaleRequest& request) {
    const fat::VolumeGeometry geometry = geometryFor(parseSectors(request.size));
    fat::VolumeIdentity identity;
    if (request.label) identity.label = fat::volumeLabel(*request.label);
    if (request.serial) identity.serial = parseSerial(*request.serial);
    const fat::FolderEntry tree = fat::readFolderTree(request.folder);
    const fat::VolumeLayout layout = fat::layOutVolume(geometry, tree, identity.label.has_value());
    requireImageOutsideFolder(request.image, request.folder);

    PendingFile image(request.image);
    PendingFileSink sink(image);
    fat::writeVolume(layout, identity, sink);
    sink.finish();
    image.commit();
}

}  // namespace

int runTool(std::span<const std::string> arguments) {
    try {
        baleFolder(parseArguments(arguments));
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "TreeBaler: " << failure.what() << '\n';
        return 1;
    }
}

}  // namespace ib::tools
