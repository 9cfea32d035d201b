// The folder-packing tool on a large partition (default 1 GiB, filled to about 90 %)
// against its yardstick: mkfs.fat making an empty volume of the same size and mcopy
// copying the same folder into it. Both run in fresh processes, alternately, on
// content in the page cache. Prints each pair, the median and lowest ratio,
// TreeBaler's peak memory (from wait4 on its process), which must stay at a few MiB
// whatever the partition's size, and how much disk the sparse image takes.
//
//   tree_baler_bench [partition MiB = 1024] [content MiB = 900] [pairs = 3]
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

// Large recordings in nested folders, and many small files beside them.
std::uint64_t writeContent(const fs::path& folder, std::uint64_t contentMiB) {
    constexpr std::uint64_t kSmallFiles = 2000;
    constexpr std::uint64_t kSmallFileBytes = 4096 + 100;
    const std::uint64_t smallBytes = kSmallFiles * kSmallFileBytes;
    const std::uint64_t largeFiles = 8;
    const std::uint64_t largeBytes = (contentMiB * bench::kMiB - smallBytes) / largeFiles;
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
    const int pairs = argc > 3 ? std::stoi(argv[3]) : 3;
    bench::ScratchFolder scratch("imageburner-bench-treebaler");
    const fs::path folder = scratch.path() / "content";
    const fs::path image = scratch.path() / "partition.img", peerImage = scratch.path() / "peer.img";
    const std::uint64_t contentBytes = writeContent(folder, contentMiB);
    const std::uint64_t sectors = partitionMiB * bench::kMiB / 512;

    const auto ours = [&] {
        return bench::runChild({IMAGEBURNER_TREEBALER, "-file", image.string(), "-folder", folder.string(), "-size",
                                std::to_string(sectors)});
    };
    const auto peer = [&] {
        const std::string target = bench::quotedForShell(peerImage);
        return bench::runChild({"sh", "-c",
                                "mkfs.fat -C " + target + " " + std::to_string(sectors / 2) +
                                    " >/dev/null && mcopy -s -i " + target + " " + bench::quotedForShell(folder) +
                                    "/* ::"});
    };
    const auto prepare = [&] {
        fs::remove(image);
        fs::remove(peerImage);
        bench::settleDisk(scratch.path());
    };

    std::printf("TreeBaler, %llu MiB of files into a %llu MiB partition; %d pairs in fresh processes\n",
                static_cast<unsigned long long>(contentBytes / bench::kMiB),
                static_cast<unsigned long long>(partitionMiB), pairs);
    bench::printMachine();
    const bench::Comparison runs = bench::alternate(pairs, ours, peer, prepare);
    if (runs.failed || ours().exitStatus != 0) return 1;
    struct stat imageStatus {};
    stat(image.c_str(), &imageStatus);

    const double seconds = bench::median(runs.ours);
    bench::printComparison(runs, "TreeBaler", "mkfs.fat + mcopy");
    bench::printFigure("throughput", seconds > 0 ? static_cast<double>(contentBytes) / bench::kMiB / seconds : 0,
                       "MiB/s");
    bench::printFigure("image on disk (free space left sparse)",
                       static_cast<double>(imageStatus.st_blocks) * 512 / bench::kMiB, "MiB");
    bench::printFigure("peak memory, TreeBaler", runs.peakMiB, "MiB");

    const std::string size = std::to_string(partitionMiB) + " MiB";
    bench::printTableRow({"TreeBaler, " + std::to_string(contentMiB) + " MiB of files into " + size,
                          bench::fixed(seconds, 2) + " s",
                          "mkfs.fat + mcopy " + bench::fixed(bench::median(runs.peer), 2) + " s",
                          bench::ratioCell(runs),
                          "none: for information", ""});
    bench::printTableRow({"peak memory, TreeBaler " + size, bench::fixed(runs.peakMiB, 1) + " MiB", "", "",
                          "<= 16 MiB", bench::verdict(runs.peakMiB <= 16)});
    return 0;
}
