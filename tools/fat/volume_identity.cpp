// Volume label and serial number. See volume_identity.h.
#include "tools/fat/volume_identity.h"

#include <algorithm>
#include <string>

#include "tools/fat/short_name.h"
#include "tools/tool_failure.h"

namespace ib::tools::fat {
namespace {

constexpr LabelField kNoLabel{'N', 'O', ' ', 'N', 'A', 'M', 'E', ' ', ' ', ' ', ' '};

// FNV-1a, 32 bits: small, and any change of input changes the result at random.
class ContentHash {
public:
    void add(std::string_view bytes) {
        for (const char c : bytes) {
            m_value = (m_value ^ static_cast<std::uint8_t>(c)) * 16777619u;
        }
        m_value = (m_value ^ 0xFFu) * 16777619u;  // ends each field, so "ab"+"c" differs from "a"+"bc"
    }
    void add(std::uint64_t number) { add(std::to_string(number)); }
    std::uint32_t value() const { return m_value; }

private:
    std::uint32_t m_value = 2166136261u;
};

void addTree(const FolderEntry& folder, const std::string& path, ContentHash& hash) {
    for (const FolderEntry& entry : folder.children) {
        const std::string entryPath = path + "/" + entry.name;
        const CivilTime& t = entry.modified;
        hash.add(entryPath);
        hash.add(entry.isFolder ? "folder" : "file");
        hash.add(entry.size);
        for (const int part : {t.year, t.month, t.day, t.hour, t.minute, t.second}) {
            hash.add(static_cast<std::uint64_t>(part));
        }
        addTree(entry, entryPath, hash);
    }
}

std::uint32_t treeHash(const FolderEntry& root, const std::optional<LabelField>& label,
                       std::uint64_t totalSectors) {
    ContentHash hash;
    addTree(root, "", hash);
    hash.add(std::string_view(label.value_or(kNoLabel).data(), kLabelLength));
    hash.add(totalSectors);
    return hash.value();
}

}  // namespace

LabelField VolumeIdentity::bootSectorLabel() const { return label.value_or(kNoLabel); }

LabelField volumeLabel(std::string_view text) {
    const auto refuse = [&](const std::string& why) {
        return ToolFailure("the volume label \"" + std::string(text) + "\" " + why);
    };
    if (text.empty() || text.size() > kLabelLength) throw refuse("must have 1 to 11 characters");
    if (text.front() == ' ') throw refuse("must not start with a space");
    LabelField field;
    field.fill(' ');
    for (std::size_t i = 0; i < text.size() && i < field.size(); ++i) {
        field[i] = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    }
    if (!std::all_of(field.begin(), field.end(), [](char c) { return c == ' ' || isShortNameCharacter(c); })) {
        throw refuse("may hold only letters A to Z, digits, spaces and $%'-_@~`!(){}^#&");
    }
    return field;
}

ContentSerial::ContentSerial(const FolderEntry& root, const std::optional<LabelField>& label,
                             std::uint64_t totalSectors)
    : m_treeHash(treeHash(root, label, totalSectors)) {}

std::uint32_t ContentSerial::value() const {
    const std::uint64_t bytes = m_fileBytes.value();
    return m_treeHash ^ static_cast<std::uint32_t>(bytes ^ (bytes >> 32));
}

}  // namespace ib::tools::fat
