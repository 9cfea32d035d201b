// Content longer than its partition would be cut at the partition's end and
// leave a broken file system or image behind, so it is refused instead: the
// files the plan names before anything is written, the files made while
// writing (a folder packed by the tool, a converted bitmap) when they are copied.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "userarea/partition_plan.h"

namespace ib {

// Whether `length` bytes fit a partition of `partitionSectors` sectors.
bool contentFits(std::uint64_t length, std::uint32_t partitionSectors);

// The refusal of a content file, naming it, its size and the partition's size.
std::string contentTooLongMessage(const std::filesystem::path& path, std::uint64_t length,
                                  std::uint32_t partitionSectors);

// The refusal for the first record whose named content file, taken from the
// working folder as the copy takes it, is longer than its partition; nullopt
// when every such file fits. Files that do not open are left to the copy, which
// skips them.
std::optional<std::string> findContentTooLong(const PartitionPlan& plan,
                                              const std::filesystem::path& workingDirectory);

}  // namespace ib
