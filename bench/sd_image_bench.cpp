// SD image creation with a large user partition (default 2 GiB), against
// writing the same bytes with dd. Prints both times and the peak memory of the
// program and of the merge tool, which must not grow with the image.
//
//   sd_image_bench [partition MiB]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "sim/simulator.h"
#include "app/image_burner_controller.h"

using namespace ib;

int main(int argc, char** argv) {
    const std::uint64_t partitionMiB = argc > 1 ? std::stoull(argv[1]) : 2048;
    bench::ScratchFolder scratch("imageburner-bench-sd");
    const auto& work = scratch.path();
    const std::uint64_t MiB = 1 << 20;
    bench::writePatternFile(work / "bootcode.bin", 16 * 1024, 1);
    bench::writePatternFile(work / "bootloader.bin", 256 * 1024, 2);
    bench::writePatternFile(work / "firmware.bin", 8 * MiB, 3);
    bench::writePatternFile(work / "data.bin", partitionMiB * MiB, 4);
    bench::writeText(work / "DiskInfo.ini",
                     "[DEFAULT_FW]\nMBR=64\nnumber=3\nfile0=bootcode.bin\nfile1=bootloader.bin\nfile2=firmware.bin\n"
                     "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=32768\n"
                     "[Part_0]\nSize=auto\nType=RAW\nRawFileName=data.bin\n");

    ManualClock clock;
    auto recorder = sim::Simulator::inMemory(sim::RecorderState{}, clock);  // not touched: no device needed
    bench::BenchController bench(*recorder, clock, work, work);
    CImageBurnerDlg& controller = *bench.controller;
    DialogValues view;
    controller.startUp(view);  // reads the settings of DiskInfo.ini, as the program does at start
    view.firmwareNumber = "3";
    view.binPath = (work / "card.bin").string();

    const auto start = std::chrono::steady_clock::now();
    const std::uint32_t result = controller.run(Operation::CreateSdImage, view);
    const double seconds = bench::secondsSince(start);
    std::error_code noImage;
    const double imageMiB = static_cast<double>(std::filesystem::file_size(work / "card.bin", noImage)) / MiB;

    const std::string dd = "dd if='" + (work / "data.bin").string() + "' of='" + (work / "dd.bin").string() +
                           "' bs=1M status=none && cp '" + (work / "dd.bin").string() + "' '" +
                           (work / "dd-copy.bin").string() + "' && md5sum '" + (work / "dd-copy.bin").string() +
                           "' > /dev/null";
    const auto ddStart = std::chrono::steady_clock::now();
    const int ddStatus = std::system(dd.c_str());
    const double ddSeconds = bench::secondsSince(ddStart);

    std::printf("SD image with a %llu MiB user partition: %s\n", static_cast<unsigned long long>(partitionMiB),
                result ? "ok" : "FAILED");
    bench::printFigure("image size", imageMiB, "MiB");
    bench::printFigure("create-sd-image (write, merge copy, MD5)", seconds, "s");
    bench::printFigure("same bytes with dd + cp + md5sum", ddSeconds, "s");
    bench::printFigure("ratio", ddSeconds > 0 ? seconds / ddSeconds : 0, "x");
    bench::printFigure("peak memory, imageburner", bench::peakMemoryMiB(), "MiB");
    bench::printFigure("peak memory, merge tool and dd", bench::peakMemoryMiB(true), "MiB");
    return result && ddStatus == 0 ? 0 : 1;
}
