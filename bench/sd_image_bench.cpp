// SD image creation with a large user partition (default 2 GiB) against its
// yardstick: dd writing the same bytes (flushed to the disk, as the merge tool's
// output is) and md5sum hashing them. Both run in fresh processes, alternately,
// on input already in the page cache (warm) or dropped from it (--cold). Prints
// each pair, the median and lowest ratio, and the peak memory of the command line
// (with its merge tool) and of the merge tool alone.
//
//   sd_image_bench [partition MiB = 2048] [pairs = 5] [--cold]
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_support.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

void writeInputs(const fs::path& work, std::uint64_t partitionMiB) {
    bench::writePatternFile(work / "bootcode.bin", 16 * 1024, 1);
    bench::writePatternFile(work / "bootloader.bin", 256 * 1024, 2);
    bench::writePatternFile(work / "firmware.bin", 8 * bench::kMiB, 3);
    bench::writePatternFile(work / "data.bin", partitionMiB * bench::kMiB, 4);
    bench::writeText(work / "DiskInfo.ini",
                     "[DEFAULT_FW]\nMBR=64\nnumber=3\nfile0=bootcode.bin\nfile1=bootloader.bin\nfile2=firmware.bin\n"
                     "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=32768\n"
                     "[Part_0]\nSize=auto\nType=RAW\nRawFileName=data.bin\n");
}

}  // namespace

int main(int argc, char** argv) {
    const bool cold = argc > 1 && std::strcmp(argv[argc - 1], "--cold") == 0;
    const int positional = argc - (cold ? 1 : 0);
    const std::uint64_t partitionMiB = positional > 1 ? std::stoull(argv[1]) : 2048;
    const int pairs = positional > 2 ? std::stoi(argv[2]) : 5;
    bench::ScratchFolder scratch("imageburner-bench-sd");
    const fs::path& work = scratch.path();
    writeInputs(work, partitionMiB);
    const fs::path card = work / "card.bin", reference = work / "reference.bin", ddOutput = work / "dd.bin";

    const auto ours = [&] {
        return bench::runChild({IMAGEBURNER_CLI, "--workdir", work.string(), "--firmware-number", "3",
                                "create-sd-image", card.string()});
    };
    // The same bytes for the yardstick: the image of a first, untimed run.
    if (ours().exitStatus != 0) return 1;
    fs::rename(card, reference);
    const auto peer = [&] {
        return bench::runChild({"sh", "-c",
                                "dd if=" + bench::quotedForShell(reference) + " of=" + bench::quotedForShell(ddOutput) +
                                    " bs=1M conv=fsync status=none && md5sum " + bench::quotedForShell(ddOutput)});
    };
    const auto prepare = [&] {
        for (const fs::path& output : {card, fs::path(card.string() + ".md5"), ddOutput}) fs::remove(output);
        if (cold)
            for (const char* input : {"bootcode.bin", "bootloader.bin", "firmware.bin", "data.bin", "reference.bin"})
                bench::dropFromCache(work / input);
        bench::settleDisk(work);
    };

    std::printf("SD image with a %llu MiB user partition, input %s; %d pairs in fresh processes\n",
                static_cast<unsigned long long>(partitionMiB), cold ? "cold (dropped from the page cache)" : "warm (in the page cache)",
                pairs);
    bench::printMachine();
    const bench::Comparison runs = bench::alternate(pairs, ours, peer, prepare);
    prepare();
    const bench::ChildRun mergeAlone = bench::runChild({IMAGEBURNER_MERGEIMG, reference.string(), card.string()});

    const double ratio = runs.medianRatio();
    bench::printComparison(runs, "create-sd-image", "dd bs=1M conv=fsync + md5sum");
    bench::printFigure("peak memory, command line with its merge tool", runs.peakMiB, "MiB");
    bench::printFigure("peak memory, merge tool alone", mergeAlone.peakMiB, "MiB");
    bench::printFigure("resident size of the launcher (floor of both)", bench::launcherPeakMiB(), "MiB");

    const std::string size = std::to_string(partitionMiB) + " MiB";
    bench::printTableRow({"SD image, " + size + " partition, input " + (cold ? "cold" : "warm"),
                          bench::fixed(bench::median(runs.ours), 2) + " s",
                          "dd + md5sum " + bench::fixed(bench::median(runs.peer), 2) + " s",
                          bench::ratioCell(runs), ">= 0.9x",
                          bench::verdict(ratio >= 0.9)});
    bench::printTableRow({"peak memory, create-sd-image " + size + " (CLI with mergeimg)",
                          bench::fixed(runs.peakMiB, 1) + " MiB", "", "", "<= 16 MiB", bench::verdict(runs.peakMiB <= 16)});
    bench::printTableRow({"peak memory, mergeimg " + size, bench::fixed(mergeAlone.peakMiB, 1) + " MiB", "", "",
                          "<= 16 MiB", bench::verdict(mergeAlone.peakMiB <= 16)});
    return runs.failed || mergeAlone.exitStatus != 0 ? 1 : 0;
}
