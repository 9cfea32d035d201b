// The records of one directory as they stand on the volume: the label entry in the root,
// "." and ".." in any other directory, then each entry's long-name records and short
// entry, in the folder's order. The records after the last are zero, which ends the list.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/fat/volume_identity.h"
#include "tools/fat/volume_layout.h"

namespace ib::tools::fat {

std::vector<std::uint8_t> directoryRecords(const DirectoryPlan& directory, const VolumeIdentity& identity);

}  // namespace ib::tools::fat
