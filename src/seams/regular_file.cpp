// Telling regular files from the rest. See regular_file.h.
#include "seams/regular_file.h"

#include "seams/system_error_text.h"

namespace ib {

std::string whyNotARegularFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    switch (status.type()) {
    case std::filesystem::file_type::regular: return "";
    case std::filesystem::file_type::not_found: return "no such file";
    case std::filesystem::file_type::directory: return "a folder, not a file";
    case std::filesystem::file_type::none: return systemErrorText(error);
    default: return "not a regular file but a FIFO, a device or a socket, which could keep a reader waiting for ever";
    }
}

}  // namespace ib
