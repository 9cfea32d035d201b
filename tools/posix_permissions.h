// The permissions a file gets when this process creates it, for the POSIX files of the
// helper tools: a new output gets them, and a hard link only stands in for a copy when
// the linked file already has them.
#pragma once

#include <sys/types.h>

namespace ib::tools {

// 0666 less the umask.
mode_t permissionsOfANewFile();

}  // namespace ib::tools
