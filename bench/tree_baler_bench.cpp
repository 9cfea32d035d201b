// The folder-packing tool on a large partition (default 1 GiB, filled to about 90 %):
// prints the time, the throughput and TreeBaler's peak memory, which must stay at a few
// MiB whatever the partition's size, and how much disk the sparse image takes.
//
//   tree_baler_bench [partition MiB = 1024] [content MiB = 900]
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMiB = 1 << 20;

// Large recordings in nested folders, and many small files beside them.
std::uint64_t writeContent(const fs::path& folder, std::uint64_t contentMiB) {
    constexpr std::uint64_t kSmallFiles = 2000;
    constexpr std::uint64_t kSmallFileBytes = 4096 + 100;
    const std::uint64_t smallBytes = kSmallFiles * kSmallFileBytes;
    const std::uint64_t largeFiles = 8;
    const std::uint64_t largeBytes = (contentMiB * kMiB - smallBytes) / largeFiles;
    for (std::uint64_t i = 0; i < largeFiles; ++i) {
        const fs::path day = folder / "DCIM" / ("Trasa " + std::to_string(i % 3));
        fs::create_directories(day);
        bench::writePatternFile(day / ("Nagranie z jazdy " + std::to_string(i) + ".mp4"), largeBytes,
                                static_cast<unsigned>(i + 1));
    }
    for (std::uint64_t i = 0; i < kSmallFiles; ++i) {
        const fs::path logs = folder / "logs" / std::to_string(i / 200);
        fs::create_directories(logs);
        bench::writePatternFile(logs / ("event log " + std::to_string(i) + ".txt"), kSmallFileBytes,
                                static_cast<unsigned>(i + 100));
    }
    return largeFiles * largeBytes + smallBytes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t partitionMiB = argc > 1 ? std::stoull(argv[1]) : 1024;
    const std::uint64_t contentMiB = argc > 2 ? std::stoull(argv[2]) : 900;
    bench::ScratchFolder scratch("imageburner-bench-treebaler");
    const fs::path folder = scratch.path() / "content";
    const fs::path image = scratch.path() / "partition.img";
    const std::uint64_t contentBytes = writeContent(folder, contentMiB);

    // The build tree keeps the tools in tools/ beside bench/.
    const fs::path treeBaler = fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" / "TreeBaler";
    const std::string command = "'" + treeBaler.string() + "' -file '" + image.string() + "' -folder '" +
                                folder.string() + "' -size " + std::to_string(partitionMiB * kMiB / 512);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = bench::secondsSince(start);

    struct stat imageStatus {};
    stat(image.c_str(), &imageStatus);
    std::printf("TreeBaler, %llu MiB of files into a %llu MiB partition: %s\n",
                static_cast<unsigned long long>(contentBytes / kMiB), static_cast<unsigned long long>(partitionMiB),
                status == 0 ? "ok" : "FAILED");
    bench::printFigure("time", seconds, "s");
    bench::printFigure("throughput", seconds > 0 ? static_cast<double>(contentBytes) / kMiB / seconds : 0, "MiB/s");
    const double imageOnDiskMiB = static_cast<double>(imageStatus.st_blocks) * 512 / kMiB;
    bench::printFigure("image on disk (free space left sparse)", imageOnDiskMiB, "MiB");
    bench::printFigure("peak memory, TreeBaler", bench::peakMemoryMiB(true), "MiB");
    return status == 0 ? 0 : 1;
}
