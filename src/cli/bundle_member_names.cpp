// Member names in the support bundle. See bundle_member_names.h.
#include "cli/bundle_member_names.h"

#include <string_view>

#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

std::string safeName(const std::filesystem::path& file) {
    // The name as the file is reached: "a/b/../c.log" is c.log, never "..".
    std::string name = utf8FromPath(std::filesystem::absolute(file).lexically_normal().filename());
    constexpr std::string_view kUnsafe = "\\:*?\"<>|";
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || kUnsafe.find(c) != std::string_view::npos) c = '_';
    if (name.empty() || name == "." || name == "..") name = "file";
    return name;
}

}  // namespace

std::string BundleMemberNames::take(const std::string& folder, const std::filesystem::path& file) {
    const std::string name = safeName(file);
    const std::size_t dot = name.find('.', 1);
    const std::string stem = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot);
    std::string member = folder + name;
    for (int n = 2; m_taken.contains(member); ++n) member = folder + stem + "-" + std::to_string(n) + extension;
    m_taken.insert(member);
    return member;
}

}  // namespace ib::cli
