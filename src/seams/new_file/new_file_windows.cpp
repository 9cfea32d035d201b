// Exclusive creation on Windows: CREATE_NEW, which also refuses a reparse
// point of that name. See new_file.h.
#include "seams/new_file.h"

#include <windows.h>

namespace ib {

bool createNewFile(const std::filesystem::path& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return ::CloseHandle(file) != 0;
}

}  // namespace ib
