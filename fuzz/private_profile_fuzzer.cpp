// The private-profile (INI) reader on arbitrary file bytes: every name the
// program reads is looked up at several capacities, and a key set by the
// profile editor must read back as written.
#include <array>
#include <cstdint>
#include <string>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"
#include "fuzz_support.h"

namespace {

struct Name {
    const char* section;
    const char* key;
};

// The section and key names "DiskInfo.ini" and the user profile hold.
constexpr std::array kNames = {
    Name{"UI_SETTING", "MEDIA"},          Name{"UI_SETTING", "NumberOfFirmware"},
    Name{"DEFAULT_FW", "number"},         Name{"DEFAULT_FW", "MBR"},
    Name{"DEFAULT_FW", "file0"},          Name{"DEFAULT_FW", "file9"},
    Name{"User_Area_Partition", "PartitionNumber"}, Name{"User_Area_Partition", "AlignmentSize"},
    Name{"Part_0", "Size"},               Name{"Part_0", "RawFileName"},
    Name{"QUBImageBurner", "raw_path"},   Name{"QUBImageBurner", "bin_path"},
};

constexpr std::array<std::size_t, 4> kCapacities = {1, 16, 100, 260};

void readEveryName(const ib::PrivateProfile& profile) {
    for (const Name& name : kNames) {
        (void)profile.hasSection(name.section);
        (void)profile.readInt(name.section, name.key, 7);
        for (const std::size_t capacity : kCapacities) {
            const std::string value = profile.readString(name.section, name.key, "fallback", capacity);
            ib::fuzz::require(value.size() < capacity, "a string is cut to its capacity - 1");
        }
    }
}

// The editor's promise: the key it set is what the reader then finds. Files
// in UTF-16 are the reader's alone; the editor works on 8-bit text.
void checkEditReadsBack(const std::string& text) {
    if (text.starts_with("\xFF\xFE")) return;
    const std::string value = "C:\\images\\SD image.bin";
    const auto edited = ib::profileTextWithKey(text, "QUBImageBurner", "bin_path", value);
    if (!edited) return;
    const auto reread = ib::PrivateProfile::parse(*edited);
    ib::fuzz::require(reread.readString("QUBImageBurner", "bin_path", "", 260) == value,
                      "the key set by the editor reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = ib::fuzz::asText(data, size);
    readEveryName(ib::PrivateProfile::parse(bytes));
    (void)ib::leadingDecimal(bytes);
    checkEditReadsBack(std::string(bytes));
    return 0;
}
