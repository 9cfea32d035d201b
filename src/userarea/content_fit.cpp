// Content against its partition's size. See content_fit.h.
#include "userarea/content_fit.h"

#include "device/sector.h"
#include "device/text_format.h"
#include "userarea/bitmap_conversion.h"
#include "userarea/partition_plan_reader.h"
#include "seams/utf8_path.h"

namespace ib {
namespace {

// The content file the copy will take as it is: a FAT image without a folder
// to pack, or a RAW file that is not converted first.
bool namesFinishedContent(const PartitionRecord& record) {
    if (record.kind == PartitionKind::Fat) return record.dirPath.empty();
    return record.kind == PartitionKind::Raw && !isBitmapName(record.fileName);
}

}  // namespace

bool contentFits(std::uint64_t length, std::uint32_t partitionSectors) {
    return sectorsFor(length) <= partitionSectors;
}

std::string contentTooLongMessage(const std::filesystem::path& path, std::uint64_t length,
                                  std::uint32_t partitionSectors) {
    return formatText("Error : %s (%llu bytes) is larger than its partition (%u sectors, %llu bytes) !",
                      utf8FromPath(path).c_str(), static_cast<unsigned long long>(length), partitionSectors,
                      static_cast<unsigned long long>(std::uint64_t{partitionSectors} * kSectorSize));
}

std::optional<std::string> findContentTooLong(const PartitionPlan& plan,
                                              const std::filesystem::path& workingDirectory) {
    for (const PartitionRecord& record : plan.records) {
        if (!namesFinishedContent(record)) continue;
        const auto path = workingDirectoryPath(workingDirectory, record.fileName);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) continue;
        const std::uintmax_t length = std::filesystem::file_size(path, error);
        if (!error && !contentFits(length, record.sizeSectors))
            return contentTooLongMessage(path, length, record.sizeSectors);
    }
    return std::nullopt;
}

}  // namespace ib
