// System error texts on POSIX systems, where the C library's texts follow the
// locale's encoding, UTF-8 here. See system_error_text.h.
#include "seams/system_error_text.h"

namespace ib {

std::string systemErrorText(const std::error_code& error) { return error.message(); }

}  // namespace ib
