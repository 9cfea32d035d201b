// What building the SD image needs from the PC before it starts: the firmware
// members and partition contents it reads, room for the intermediate image and
// the finished one, and the packing and merge tools, each checked where the
// build would otherwise fail, with that step's own message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "operation/operation_context.h"
#include "operation/preflight.h"

namespace ib {

// The checks of an SD image of `n` members built through `intermediate` into
// the snapshot's bin path, in the order the build meets them.
std::vector<PreflightStep> sdImagePreflight(const OperationContext& ctx, std::uint32_t n,
                                            const std::filesystem::path& intermediate);

// What the build shows when the merge tool fails on `intermediate`.
std::string mergeFailedMessage(const std::filesystem::path& intermediate);

}  // namespace ib
