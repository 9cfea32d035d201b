// The two "Browse..." choosers: the raw image to write and the SD image to
// create. A chosen path is remembered in the user profile and in its bound value.
#pragma once

#include <optional>
#include <string>

#include "operation/operation_context.h"

namespace ib {

// The chosen path; nullopt when cancelled.
std::optional<std::string> browseForPath(const OperationContext& ctx, RememberedPath which);

}  // namespace ib
