// A partition's content: a FAT image packed from a folder, a raw file, or a
// bitmap converted for the recorder, written to the recorder or into an SD
// image file through a sector sink.
#pragma once

#include <cstdint>
#include <filesystem>

#include "operation/operation_context.h"
#include "operation/sector_sink.h"
#include "userarea/partition_plan.h"

namespace ib {

// Packs a folder into a FAT image file of `sizeSectors` sectors with the
// folder-packing tool. 1 when the tool succeeded.
std::uint32_t packFolderImage(const OperationContext& ctx, const std::filesystem::path& imagePath,
                              std::uint32_t sizeSectors, const std::filesystem::path& folderPath);

// Where a record's folder is packed: the file the plan names in the working
// folder, or the same name in the session's own packing folder.
std::filesystem::path packedImagePath(const OperationContext& ctx, const PartitionRecord& record);

// Writes the content of one placed record from `startSector` on. A content
// file that does not open (or a bitmap that cannot be converted) is skipped;
// false when packing failed, the content is longer than its partition or a
// write failed (after the message).
bool writePartitionContent(const OperationContext& ctx, const PartitionRecord& record, std::uint32_t startSector,
                           SectorSink& sink);

}  // namespace ib
