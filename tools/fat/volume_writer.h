// Writes a whole FAT volume from its layout, front to back: the reserved sectors, both
// FATs, the FAT12/16 root region, then each directory and file in its clusters, with only
// a chunk of it in memory at a time. Free space goes to the sink as skipped zeros. Without
// a serial number given, the boot sectors are written again at the end with the serial
// derived from the content.
#pragma once

#include "tools/fat/image_sink.h"
#include "tools/fat/volume_identity.h"
#include "tools/fat/volume_layout.h"

namespace ib::tools::fat {

// Writes exactly geometry.totalSectors sectors. Throws ToolFailure when a file cannot be
// read, or has changed size since the folder was read, or the sink fails.
void writeVolume(const VolumeLayout& layout, const VolumeIdentity& identity, ImageSink& sink);

}  // namespace ib::tools::fat
