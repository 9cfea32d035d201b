// A uniquely named folder under the program's temporary folder for one
// test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "seams/utf8_path.h"

namespace ib::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / pathFromUtf8(name); }
    // Writes a file (creating its folders) and returns its path.
    std::filesystem::path write(const std::string& name, std::string_view content) const;
    std::filesystem::path write(const std::string& name, std::span<const std::uint8_t> bytes) const;
    static std::string read(const std::filesystem::path& file);

private:
    std::filesystem::path m_path;
};

}  // namespace ib::test
