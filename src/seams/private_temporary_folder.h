// A folder of this program's own inside the shared temporary folder, for the
// files it needs only for a moment (the converted power-on bitmap). Another
// user may have left a file or a link of such a file's name in the shared
// folder; inside a folder made new for this run, readable by its owner alone,
// nothing of another's is written through.
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

namespace ib {

class PrivateTemporaryFolder {
public:
    // Makes "imageburner-" plus six random letters inside `parent`; nullopt
    // with `error` set when no such folder can be made there.
    static std::optional<PrivateTemporaryFolder> create(const std::filesystem::path& parent,
                                                        std::error_code& error);
    // Removes the folder with everything in it.
    ~PrivateTemporaryFolder();
    PrivateTemporaryFolder(PrivateTemporaryFolder&& other) noexcept;
    PrivateTemporaryFolder& operator=(PrivateTemporaryFolder&& other) noexcept;  // removes its own first
    PrivateTemporaryFolder(const PrivateTemporaryFolder&) = delete;
    PrivateTemporaryFolder& operator=(const PrivateTemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    explicit PrivateTemporaryFolder(std::filesystem::path path) : m_path(std::move(path)) {}
    void removeFolder();
    std::filesystem::path m_path;  // empty once moved from
};

}  // namespace ib
