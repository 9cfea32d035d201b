// Temporary test folders. See temp_folder.h.
#include "support/temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "app/temporary_folder.h"
#include "seams/utf8_path.h"

namespace ib::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    m_path = app::temporaryFolder() /
             pathFromUtf8("ib-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempFolder::write(const std::string& name, std::string_view content) const {
    const auto file = m_path / pathFromUtf8(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
}

std::filesystem::path TempFolder::write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    return write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string TempFolder::read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace ib::test
