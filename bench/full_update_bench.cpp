// Full update of a recorder in its boot ROM: a 64 MiB firmware set and a
// 256 MiB user partition through the whole engine into a simulated recorder
// kept in a state folder. Prints the time, the throughput, the modelled
// device time (USB 2.0 high speed) and the peak memory.
//
//   full_update_bench [firmware MiB] [partition MiB]
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "sim/simulator.h"
#include "sim/state_folder.h"
#include "app/image_burner_controller.h"

using namespace ib;

int main(int argc, char** argv) {
    const std::uint64_t firmwareMiB = argc > 1 ? std::stoull(argv[1]) : 64;
    const std::uint64_t partitionMiB = argc > 2 ? std::stoull(argv[2]) : 256;
    bench::ScratchFolder scratch("imageburner-bench-update");
    const auto work = scratch.path() / "work", state = scratch.path() / "recorder";
    std::filesystem::create_directories(work);

    // Three members (boot code, bootloader, firmware) and one RAW partition.
    const std::uint64_t MiB = 1 << 20;
    bench::writePatternFile(work / "updater.bin", 64 * 1024, 1);
    bench::writePatternFile(work / "bootcode.bin", MiB / 2, 2);
    bench::writePatternFile(work / "bootloader.bin", MiB / 2, 3);
    bench::writePatternFile(work / "firmware.bin", (firmwareMiB - 1) * MiB, 4);
    bench::writePatternFile(work / "data.bin", partitionMiB * MiB, 5);
    const std::uint64_t keepSectors = (firmwareMiB + 1) * MiB / 512;
    bench::writeText(work / "DiskInfo.ini",
                     "[DEFAULT_FW]\nnumber=3\nfile0=bootcode.bin\nfile1=bootloader.bin\nfile2=firmware.bin\n"
                     "[User_Area_Partition]\nPartitionNumber=1\nAlignmentEnable=1\nAlignmentSize=2048\n"
                     "SDKeepCodeSize=" + std::to_string(keepSectors) +
                         "\n[Part_0]\nSize=auto\nType=RAW\nRawFileName=data.bin\n");

    sim::RecorderState initial;
    initial.mode = sim::RecorderMode::BootRom;
    initial.latency = {125, 35'000'000};  // a high-speed USB 2.0 mass-storage device
    std::string error;
    ManualClock clock;  // waits and modelled device time pass without sleeping
    if (!sim::StateFolder::create(state, initial, true, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    auto recorder = sim::Simulator::openFolder(state, clock, error);
    if (!recorder) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    bench::BenchController bench(*recorder, clock, work, scratch.path());
    CImageBurnerDlg& controller = *bench.controller;
    DialogValues view;
    controller.startUp(view);  // reads the settings of DiskInfo.ini, as the program does at start
    view.storageName = "eMMC";
    view.firmwareNumber = "3";
    view.configUserArea = 1;

    const auto start = std::chrono::steady_clock::now();
    const std::uint32_t result = controller.run(Operation::FullUpdate, view);
    const double seconds = bench::secondsSince(start);
    const double mebibytes = static_cast<double>(firmwareMiB + partitionMiB);
    std::printf("Full update, %llu MiB firmware set + %llu MiB user partition, simulated eMMC recorder: %s\n",
                static_cast<unsigned long long>(firmwareMiB), static_cast<unsigned long long>(partitionMiB),
                result ? "ok" : "FAILED");
    bench::printFigure("wall time", seconds, "s");
    bench::printFigure("throughput (engine + simulator + disk)", mebibytes / seconds, "MiB/s");
    bench::printFigure("modelled device time (incl. fixed waits)", static_cast<double>(clock.totalSleptMs()) / 1000,
                       "s");
    bench::printFigure("peak memory", bench::peakMemoryMiB(), "MiB");
    bench::printFigure("progress events", static_cast<double>(bench.port.progressEvents), "");
    return result ? 0 : 1;
}
