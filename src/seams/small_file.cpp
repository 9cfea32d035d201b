// Small whole files. See small_file.h.
#include "seams/small_file.h"

#include <array>
#include <fstream>

namespace ib {

std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t largestBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    std::array<char, 16 * 1024> piece;
    // Read in pieces up to one byte past the limit: the size the file claims is never trusted.
    while (in && text.size() <= largestBytes) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad() || text.size() > largestBytes) return std::nullopt;
    return text;
}

}  // namespace ib
