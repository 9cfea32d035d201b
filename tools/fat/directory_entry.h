// The 32-byte records of a FAT directory: the short entry with an entry's 8.3 name,
// attributes, time stamps, first cluster and size, and before it the long-name entries
// that carry its full name in UTF-16, 13 characters each, tied to it by a checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/fat/fat_time.h"
#include "tools/fat/short_name.h"

namespace ib::tools::fat {

inline constexpr std::size_t kDirectoryEntryBytes = 32;

enum class EntryKind : std::uint8_t {
    File = 0x20,         // the archive attribute: written since the last backup
    Folder = 0x10,       // the directory attribute
    VolumeLabel = 0x08,  // the volume's name, in the root directory only
};

struct ShortEntry {
    ShortNameField name{};
    EntryKind kind = EntryKind::File;
    CivilTime modified;
    std::uint32_t firstCluster = 0;  // 0: an empty file, or ".." pointing at the root
    std::uint32_t size = 0;          // files only
};

void appendShortEntry(const ShortEntry& entry, std::vector<std::uint8_t>& directory);

// The long-name entries of `name` in the order they stand before the short entry:
// the last piece of the name first.
void appendLongNameEntries(std::u16string_view name, const ShortNameField& shortName,
                           std::vector<std::uint8_t>& directory);

// The 32-byte records one entry takes: its short entry, and its long-name entries when
// it needs them.
std::size_t entryRecordCount(const ShortName& shortName, std::size_t utf16Length);

// The checksum of a short name that each of its long-name entries carries.
std::uint8_t shortNameChecksum(const ShortNameField& name);

}  // namespace ib::tools::fat
