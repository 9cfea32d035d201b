// The program's own temporary folder. See private_temporary_folder.h.
#include "seams/private_temporary_folder.h"

#include <random>
#include <string>
#include <string_view>

#include "seams/utf8_path.h"

namespace ib {
namespace {

constexpr int kNameAttempts = 100;

std::string randomName(std::mt19937& random) {
    constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = "imageburner-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % kLetters.size()];
    return name;
}

}  // namespace

std::optional<PrivateTemporaryFolder> PrivateTemporaryFolder::create(const std::filesystem::path& parent,
                                                                     std::error_code& error) {
    namespace fs = std::filesystem;
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path candidate = parent / pathFromUtf8(randomName(random));
        // create_directory is false, without an error, when the name was taken.
        if (!fs::create_directory(candidate, error)) {
            if (error) return std::nullopt;
            continue;
        }
        fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
        PrivateTemporaryFolder folder(candidate);
        if (error) return std::nullopt;  // removed again by the folder's end
        return folder;
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

PrivateTemporaryFolder::~PrivateTemporaryFolder() { removeFolder(); }

void PrivateTemporaryFolder::removeFolder() {
    if (m_path.empty()) return;
    std::error_code ignored;  // nothing to tell anyone once the files are no longer needed
    std::filesystem::remove_all(m_path, ignored);
    m_path.clear();
}

PrivateTemporaryFolder& PrivateTemporaryFolder::operator=(PrivateTemporaryFolder&& other) noexcept {
    if (this == &other) return *this;
    removeFolder();
    m_path = std::move(other.m_path);
    other.m_path.clear();
    return *this;
}

PrivateTemporaryFolder::PrivateTemporaryFolder(PrivateTemporaryFolder&& other) noexcept
    : m_path(std::move(other.m_path)) {
    other.m_path.clear();
}

}  // namespace ib
