// Paths typed on the command line. See typed_path.h.
#include "cli/typed_path.h"

#include <filesystem>

namespace ib::cli {

std::string fromShell(const std::string& typed) {
    return typed.empty() ? typed : std::filesystem::absolute(typed).string();
}

}  // namespace ib::cli
