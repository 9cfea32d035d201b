// Exclusive creation on POSIX systems: O_CREAT | O_EXCL, which also refuses a
// symbolic link of that name. See new_file.h.
#include "seams/new_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace ib {

bool createNewFile(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return false;
    return ::close(descriptor) == 0;
}

}  // namespace ib
