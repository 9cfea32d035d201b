// Several simulated recorders updated at once by `imageburner-cli update --all`,
// each with the latency model of a USB 2.0 high-speed device, against the
// slowest of them updated alone: the parallel runs should cost hardly more
// wall time than the slowest single one, and little memory per recorder.
//
//   parallel_update_bench [recorders = 4] [firmware MiB = 16] [partition MiB = 64]
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "sim/state_folder.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

constexpr sim::Latency kUsb2HighSpeed{125, 35'000'000};
constexpr double kBaseMiB = 16;
constexpr double kMiBPerRecorder = 4;
constexpr double kWallGoal = 1.1;

// Fresh recorders in their boot ROM, one state folder each in the bus folder, on ports 1-1, 1-2, ...
bool freshRecorders(const fs::path& bus, int recorders) {
    for (int i = 1; i <= recorders; ++i) {
        sim::RecorderState initial;
        initial.latency = kUsb2HighSpeed;
        initial.portPath = "1-" + std::to_string(i);
        initial.serial = "SIM000" + std::to_string(i);
        std::string error;
        if (!sim::StateFolder::create(bus / ("recorder-" + std::to_string(i)), initial, true, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
    }
    return true;
}

bench::ChildRun update(const fs::path& work, const fs::path& sim, bool all) {
    std::vector<std::string> argv{IMAGEBURNER_CLI, "--sim", sim.string(), "--workdir", work.string(), "--storage",
                                  "eMMC", "--firmware-number", "3", "--configure-user-area", "1", "update"};
    if (all) argv.push_back("--all");
    return bench::runChild(argv);
}

}  // namespace

int main(int argc, char** argv) {
    const int recorders = argc > 1 ? std::stoi(argv[1]) : 4;
    const std::uint64_t firmwareMiB = argc > 2 ? std::stoull(argv[2]) : 16;
    const std::uint64_t partitionMiB = argc > 3 ? std::stoull(argv[3]) : 64;
    bench::ScratchFolder scratch("imageburner-bench-parallel");
    const fs::path work = scratch.path() / "work", bus = scratch.path() / "bus";
    fs::create_directories(work);
    bench::writeUpdateInputs(work, firmwareMiB, partitionMiB);
    std::printf("Full update of %d simulated recorders at once (%llu MiB firmware + %llu MiB partition each), "
                "latency model %llu us per command + %llu bytes/s each\n",
                recorders, static_cast<unsigned long long>(firmwareMiB), static_cast<unsigned long long>(partitionMiB),
                static_cast<unsigned long long>(kUsb2HighSpeed.commandDelayUs),
                static_cast<unsigned long long>(kUsb2HighSpeed.bandwidthBytesPerSecond));
    bench::printMachine();

    bool failed = !freshRecorders(bus, recorders);
    double slowestAlone = 0;
    for (int i = 1; i <= recorders && !failed; ++i) {
        bench::settleDisk(work);
        const bench::ChildRun alone = update(work, bus / ("recorder-" + std::to_string(i)), false);
        failed = alone.exitStatus != 0;
        slowestAlone = std::max(slowestAlone, alone.seconds);
        std::printf("  recorder %d alone: %.2f s, %.1f MiB\n", i, alone.seconds, alone.peakMiB);
        std::fflush(stdout);
    }
    failed = failed || !freshRecorders(bus, recorders);
    bench::settleDisk(work);
    const bench::ChildRun all = update(work, bus, true);
    failed = failed || all.exitStatus != 0;

    const double ratio = slowestAlone > 0 ? all.seconds / slowestAlone : 0;
    const double memoryGoal = kBaseMiB + kMiBPerRecorder * recorders;
    bench::printFigure("slowest recorder alone", slowestAlone, "s");
    bench::printFigure("update --all, wall time", all.seconds, "s");
    bench::printFigure("wall time over the slowest alone", ratio, "x");
    bench::printFigure("update --all, peak memory", all.peakMiB, "MiB");
    const std::string what = std::to_string(recorders) + " recorders";
    bench::printTableRow({"update --all, " + what + ", wall time", bench::fixed(all.seconds, 2) + " s",
                          "slowest alone " + bench::fixed(slowestAlone, 2) + " s", bench::fixed(ratio, 2) + "x",
                          "<= 1.1x", bench::verdict(ratio <= kWallGoal)});
    bench::printTableRow({"peak memory, update --all " + what, bench::fixed(all.peakMiB, 1) + " MiB", "", "",
                          "<= " + bench::fixed(memoryGoal, 0) + " MiB", bench::verdict(all.peakMiB <= memoryGoal)});
    return failed ? 1 : 0;
}
