// What names a volume: its label and its serial number. By default the serial is a hash
// of what the volume holds, so the same folder packs into the same bytes every time,
// while a changed folder most likely gets another serial and a reader that caches by
// serial sees a new volume.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tools/fat/folder_tree.h"

namespace ib::tools::fat {

inline constexpr std::size_t kLabelLength = 11;
using LabelField = std::array<char, kLabelLength>;

struct VolumeIdentity {
    // Without a label the boot sector says "NO NAME" and the root holds no label entry.
    std::optional<LabelField> label;
    std::uint32_t serial = 0;

    LabelField bootSectorLabel() const;
};

// The label field for `text`: 1 to 11 characters that a short name may hold, or spaces
// after the first; letters in upper case, as FAT keeps them. Throws ToolFailure otherwise.
LabelField volumeLabel(std::string_view text);

// A hash of every entry's path, size and modification time below `root`, and the label.
std::uint32_t contentSerial(const FolderEntry& root, const std::optional<LabelField>& label);

}  // namespace ib::tools::fat
