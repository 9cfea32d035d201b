// Short and long directory entries. See directory_entry.h.
#include "tools/fat/directory_entry.h"

#include <algorithm>
#include <array>

#include "tools/fat/little_endian.h"

namespace ib::tools::fat {
namespace {

constexpr std::size_t kCharactersPerLongEntry = 13;
// Where the 13 UTF-16 characters of a long-name entry lie: three runs between fields.
constexpr std::array<std::size_t, kCharactersPerLongEntry> kLongEntryCharacterOffsets{1,  3,  5,  7,  9,  14, 16,
                                                                                      18, 20, 22, 24, 28, 30};
constexpr std::uint8_t kLongNameAttributes = 0x0F;
constexpr std::uint8_t kLastLongEntryFlag = 0x40;
constexpr char16_t kNameEnd = 0x0000;
constexpr char16_t kNamePadding = 0xFFFF;

std::size_t longEntryCount(std::size_t utf16Length) {
    return (utf16Length + kCharactersPerLongEntry - 1) / kCharactersPerLongEntry;
}

}  // namespace

void appendShortEntry(const ShortEntry& entry, std::vector<std::uint8_t>& directory) {
    std::array<std::uint8_t, kDirectoryEntryBytes> record{};
    std::copy(entry.name.begin(), entry.name.end(), record.begin());
    record[11] = static_cast<std::uint8_t>(entry.kind);
    const FatTimestamp stamp = fatTimestamp(entry.modified);
    record[13] = stamp.hundredths;
    putLittleEndian16(record, 14, stamp.time);  // created
    putLittleEndian16(record, 16, stamp.date);
    putLittleEndian16(record, 18, stamp.date);  // last accessed
    putLittleEndian16(record, 20, static_cast<std::uint16_t>(entry.firstCluster >> 16));
    putLittleEndian16(record, 22, stamp.time);  // modified
    putLittleEndian16(record, 24, stamp.date);
    putLittleEndian16(record, 26, static_cast<std::uint16_t>(entry.firstCluster));
    putLittleEndian32(record, 28, entry.size);
    directory.insert(directory.end(), record.begin(), record.end());
}

void appendLongNameEntries(std::u16string_view name, const ShortNameField& shortName,
                           std::vector<std::uint8_t>& directory) {
    const std::uint8_t checksum = shortNameChecksum(shortName);
    const std::size_t pieces = longEntryCount(name.size());
    for (std::size_t piece = pieces; piece-- > 0;) {
        std::array<std::uint8_t, kDirectoryEntryBytes> record{};
        record[0] = static_cast<std::uint8_t>(piece + 1) | (piece + 1 == pieces ? kLastLongEntryFlag : 0);
        record[11] = kLongNameAttributes;
        record[13] = checksum;
        // A name that does not fill its last piece ends with one 0x0000, then 0xFFFF.
        for (std::size_t k = 0; k < kCharactersPerLongEntry; ++k) {
            const std::size_t position = piece * kCharactersPerLongEntry + k;
            const char16_t unit = position < name.size()    ? name[position]
                                  : position == name.size() ? kNameEnd
                                                            : kNamePadding;
            putLittleEndian16(record, kLongEntryCharacterOffsets[k], unit);
        }
        directory.insert(directory.end(), record.begin(), record.end());
    }
}

std::size_t entryRecordCount(const ShortName& shortName, std::size_t utf16Length) {
    return 1 + (shortName.needsLongName ? longEntryCount(utf16Length) : 0);
}

std::uint8_t shortNameChecksum(const ShortNameField& name) {
    std::uint8_t sum = 0;
    for (const char c : name) {
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<std::uint8_t>(c));
    }
    return sum;
}

}  // namespace ib::tools::fat
