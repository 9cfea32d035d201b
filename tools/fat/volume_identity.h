// What names a volume: its label and its serial number. By default the serial is a hash
// of what the volume holds, file contents included, so the same folder packs into the
// same bytes every time, while a changed folder most likely gets another serial and a
// reader that caches by serial sees a new volume.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tools/fat/byte_stream_hash.h"
#include "tools/fat/folder_tree.h"

namespace ib::tools::fat {

inline constexpr std::size_t kLabelLength = 11;
using LabelField = std::array<char, kLabelLength>;

struct VolumeIdentity {
    // Without a label the boot sector says "NO NAME" and the root holds no label entry.
    std::optional<LabelField> label;
    // The serial number given; without one the writer derives it with ContentSerial.
    std::optional<std::uint32_t> serial;

    LabelField bootSectorLabel() const;
};

// The label field for `text`: 1 to 11 characters that a short name may hold, or spaces
// after the first; letters in upper case, as FAT keeps them. Throws ToolFailure otherwise.
LabelField volumeLabel(std::string_view text);

// The serial number of a volume given none: a hash of every entry's path, size and
// modification time below the root, of the label and the volume's size, and of the bytes
// of every file, which the writer adds as it copies them, in its order.
class ContentSerial {
public:
    ContentSerial(const FolderEntry& root, const std::optional<LabelField>& label, std::uint64_t totalSectors);
    void addFileBytes(std::span<const std::uint8_t> bytes) { m_fileBytes.add(bytes); }
    std::uint32_t value() const;

private:
    std::uint32_t m_treeHash;
    ByteStreamHash m_fileBytes;
};

}  // namespace ib::tools::fat
