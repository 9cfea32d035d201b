// Paths typed on the command line. See typed_path.h.
#include "cli/typed_path.h"

#include <filesystem>

#include "seams/utf8_path.h"

namespace ib::cli {

std::string fromShell(const std::string& typed) {
    return typed.empty() ? typed : utf8FromPath(std::filesystem::absolute(pathFromUtf8(typed)));
}

}  // namespace ib::cli
