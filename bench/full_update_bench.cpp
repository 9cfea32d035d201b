// The full update of a recorder in its boot ROM (a firmware set and a RAW user
// partition) through the whole engine into a simulated eMMC recorder kept in a
// state folder, each run in a fresh process.
//
//   full_update_bench engine [firmware MiB = 64] [partition MiB = 960] [pairs = 5] [--cold]
//     with a recorder that costs no time, alternately against dd bs=64K copying the
//     same number of bytes; then the command line's peak memory on the same update, and
//     on a raw write of the partition's bytes (the longest command log per byte).
//   full_update_bench latency [firmware MiB = 64] [partition MiB = 192] [runs = 3]
//     with the latency model of a USB 2.0 high-speed device, paced by the real clock,
//     against the model's own sum of pauses and fixed waits (the same update with a
//     clock that only counts them).
//   full_update_bench recording [firmware MiB = 64] [partition MiB = 192] [pairs = 5]
//     with the latency model, paced by the real clock, recorded into a compressed file
//     with SHA-256 of the data sent, alternately without recording; prints how much
//     longer the recorded update takes, as a share of the model's transfer time.
//   full_update_bench run WORK STATE [--real-clock] [--record FILE]
//     one update (the child the others start); prints the modelled milliseconds.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "sim/simulator.h"
#include "sim/state_folder.h"
#include "app/image_burner_controller.h"

using namespace ib;
namespace fs = std::filesystem;

namespace {

constexpr sim::Latency kUsb2HighSpeed{125, 35'000'000};

struct Sizes {
    std::uint64_t firmwareMiB;
    std::uint64_t partitionMiB;
    std::uint64_t totalMiB() const { return firmwareMiB + partitionMiB; }
};

void writeInputs(const fs::path& work, Sizes sizes) {
    bench::writeUpdateInputs(work, sizes.firmwareMiB, sizes.partitionMiB);
}

bool createRecorder(const fs::path& state, const sim::RecorderState& initial) {
    std::string error;
    if (sim::StateFolder::create(state, initial, true, error)) return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

// A fresh recorder in its boot ROM, with the given latency model.
bool freshRecorder(const fs::path& state, sim::Latency latency) {
    sim::RecorderState initial;
    initial.mode = sim::RecorderMode::BootRom;
    initial.latency = latency;
    return createRecorder(state, initial);
}

// A recorder running its updater whose serial flash takes `bytes`.
bool rawWriteTarget(const fs::path& state, std::uint64_t bytes) {
    sim::RecorderState initial;
    initial.mode = sim::RecorderMode::Updater;
    const auto sectors = static_cast<std::uint32_t>(bytes / 512 + 2048);
    for (auto& sizes : initial.areaSectors) sizes[sim::kUserAreaIndex] = sizes[sim::kBootAreaIndex] = sectors;
    return createRecorder(state, initial);
}

std::uint64_t lineCount(const fs::path& file) {
    std::ifstream in(file);
    std::uint64_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

int runOneUpdate(const fs::path& work, const fs::path& state, bool realClock, const fs::path& recording) {
    ManualClock countingClock;  // waits and modelled device time pass without sleeping
    SystemClock systemClock;
    Clock& clock = realClock ? static_cast<Clock&>(systemClock) : countingClock;
    std::string error;
    auto recorder = sim::Simulator::openFolder(state, clock, error);
    if (!recorder) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    bench::BenchController bench(*recorder, clock, work, work, recording);
    CImageBurnerDlg& controller = *bench.controller;
    DialogValues view;
    controller.startUp(view);  // reads the settings of DiskInfo.ini, as the program does at start
    view.storageName = "eMMC";
    view.firmwareNumber = "3";
    view.configUserArea = 1;
    const std::uint32_t result = controller.run(Operation::FullUpdate, view);
    std::printf("modelled_ms %lld\n", static_cast<long long>(countingClock.totalSleptMs()));
    return result ? 0 : 1;
}

long long modelledMs(const fs::path& output) {
    std::ifstream in(output);
    std::string word;
    long long ms = -1;
    in >> word >> ms;
    return ms;
}

int engine(const std::string& self, Sizes sizes, int pairs, bool cold) {
    bench::ScratchFolder scratch("imageburner-bench-update");
    const fs::path work = scratch.path() / "work", state = scratch.path() / "recorder";
    fs::create_directories(work);
    writeInputs(work, sizes);
    const fs::path ddInput = work / "same-bytes.bin", ddOutput = state / "dd.bin";
    bench::writePatternFile(ddInput, sizes.totalMiB() * bench::kMiB, 6);

    const auto prepare = [&] {
        fs::remove(ddOutput);
        freshRecorder(state, {});
        if (cold)
            for (const char* input : {"bootcode.bin", "bootloader.bin", "firmware.bin", "data.bin", "same-bytes.bin"})
                bench::dropFromCache(work / input);
        bench::settleDisk(work);
    };
    const auto ours = [&] { return bench::runChild({self, "run", work.string(), state.string()}); };
    const auto peer = [&] {
        return bench::runChild({"dd", "if=" + ddInput.string(), "of=" + ddOutput.string(), "bs=64K", "status=none"});
    };
    std::printf("Full update, %llu MiB firmware set + %llu MiB user partition, recorder without latency, input %s; "
                "%d pairs in fresh processes\n",
                static_cast<unsigned long long>(sizes.firmwareMiB), static_cast<unsigned long long>(sizes.partitionMiB),
                cold ? "cold" : "warm", pairs);
    bench::printMachine();
    const bench::Comparison runs = bench::alternate(pairs, ours, peer, prepare);

    // The command line on the same update, for its peak memory (its fixed waits are real here).
    prepare();
    const bench::ChildRun cli = bench::runChild({IMAGEBURNER_CLI, "--sim", state.string(), "--workdir", work.string(),
                                                 "--storage", "eMMC", "--firmware-number", "3",
                                                 "--configure-user-area", "1", "update"});
    // The command line's raw write of the partition's bytes into the serial flash, in its
    // small pieces: the most commands per byte, so the longest command log.
    const bool rawTargetMade = rawWriteTarget(state, sizes.partitionMiB * bench::kMiB);
    bench::settleDisk(work);
    const bench::ChildRun rawWrite = bench::runChild({IMAGEBURNER_CLI, "--sim", state.string(), "--workdir",
                                                      work.string(), "--storage", "SIF", "raw-write",
                                                      (work / "data.bin").string()});
    const std::uint64_t rawCommands = lineCount(state / "commands.log");
    const double ratio = runs.medianRatio();
    bench::printComparison(runs, "update engine", "dd bs=64K");
    bench::printFigure("peak memory, update engine", runs.peakMiB, "MiB");
    bench::printFigure("peak memory, command line update", cli.peakMiB, "MiB");
    bench::printFigure("peak memory, command line raw write (" + std::to_string(rawCommands) + " commands)",
                       rawWrite.peakMiB, "MiB");
    bench::printFigure("resident size of the launcher (floor of both)", bench::launcherPeakMiB(), "MiB");

    const std::string size = std::to_string(sizes.totalMiB()) + " MiB";
    bench::printTableRow({"full update engine, " + size + " written, no latency, input " + (cold ? "cold" : "warm"),
                          bench::fixed(bench::median(runs.ours), 2) + " s",
                          "dd bs=64K " + bench::fixed(bench::median(runs.peer), 2) + " s",
                          bench::ratioCell(runs), ">= 0.8x",
                          bench::verdict(ratio >= 0.8)});
    bench::printTableRow({"peak memory, update engine " + size, bench::fixed(runs.peakMiB, 1) + " MiB", "", "",
                          "<= 16 MiB", bench::verdict(runs.peakMiB <= 16)});
    bench::printTableRow({"peak memory, CLI update " + size + " against the simulator",
                          bench::fixed(cli.peakMiB, 1) + " MiB", "", "", "<= 16 MiB", bench::verdict(cli.peakMiB <= 16)});
    bench::printTableRow({"peak memory, CLI raw write " + std::to_string(sizes.partitionMiB) + " MiB (" +
                              std::to_string(rawCommands) + " commands) against the simulator",
                          bench::fixed(rawWrite.peakMiB, 1) + " MiB", "", "", "<= 16 MiB",
                          bench::verdict(rawWrite.peakMiB <= 16)});
    return runs.failed || cli.exitStatus != 0 || !rawTargetMade || rawWrite.exitStatus != 0 ? 1 : 0;
}

int latency(const std::string& self, Sizes sizes, int runs) {
    bench::ScratchFolder scratch("imageburner-bench-latency");
    const fs::path work = scratch.path() / "work", state = scratch.path() / "recorder";
    const fs::path output = scratch.path() / "child.out";
    fs::create_directories(work);
    writeInputs(work, sizes);
    std::printf("Full update, %llu MiB, latency model %llu us per command + %llu bytes/s, paced by the real clock; "
                "%d runs in fresh processes, input warm\n",
                static_cast<unsigned long long>(sizes.totalMiB()),
                static_cast<unsigned long long>(kUsb2HighSpeed.commandDelayUs),
                static_cast<unsigned long long>(kUsb2HighSpeed.bandwidthBytesPerSecond), runs);
    bench::printMachine();

    if (!freshRecorder(state, kUsb2HighSpeed) ||
        bench::runChild({self, "run", work.string(), state.string()}, output).exitStatus != 0)
        return 1;
    const double modelSeconds = static_cast<double>(modelledMs(output)) / 1000;
    std::vector<double> walls;
    double peakMiB = 0;
    bool failed = false;
    for (int run = 0; run < runs; ++run) {
        failed = failed || !freshRecorder(state, kUsb2HighSpeed);
        bench::settleDisk(work);
        const bench::ChildRun paced = bench::runChild({self, "run", work.string(), state.string(), "--real-clock"});
        failed = failed || paced.exitStatus != 0;
        walls.push_back(paced.seconds);
        peakMiB = std::max(peakMiB, paced.peakMiB);
        std::printf("  run %d: %.2f s, %+.2f %% against the model\n", run + 1, paced.seconds,
                    (paced.seconds / modelSeconds - 1) * 100);
        std::fflush(stdout);
    }
    const double overhead = (bench::median(walls) / modelSeconds - 1) * 100;
    const double lowest = (*std::min_element(walls.begin(), walls.end()) / modelSeconds - 1) * 100;
    bench::printFigure("the model's own sum (pauses and fixed waits)", modelSeconds, "s");
    bench::printFigure("paced update, median", bench::median(walls), "s");
    bench::printFigure("overhead, median", overhead, "%");
    bench::printFigure("overhead, lowest", lowest, "%");
    bench::printFigure("peak memory, paced update", peakMiB, "MiB");

    const std::string size = std::to_string(sizes.totalMiB()) + " MiB";
    bench::printTableRow({"latency model 125 us/command + 35 MB/s, " + size + " update",
                          bench::fixed(bench::median(walls), 2) + " s",
                          "model's sum " + bench::fixed(modelSeconds, 2) + " s",
                          "+" + bench::fixed(overhead, 1) + " % (min +" + bench::fixed(lowest, 1) + " %)", "<= +2 %",
                          bench::verdict(overhead <= 2)});
    bench::printTableRow({"peak memory, paced update " + size, bench::fixed(peakMiB, 1) + " MiB", "", "",
                          "<= 16 MiB", bench::verdict(peakMiB <= 16)});
    return failed ? 1 : 0;
}

int recordingOverhead(const std::string& self, Sizes sizes, int pairs) {
    bench::ScratchFolder scratch("imageburner-bench-recording");
    const fs::path work = scratch.path() / "work", state = scratch.path() / "recorder";
    const fs::path recording = scratch.path() / "session.jsonl.zst";
    fs::create_directories(work);
    writeInputs(work, sizes);
    std::printf("Full update, %llu MiB, latency model of USB 2.0 paced by the real clock, recorded (SHA-256 of the "
                "data sent, Zstandard) against not recorded; %d pairs in fresh processes, input warm\n",
                static_cast<unsigned long long>(sizes.totalMiB()), pairs);
    bench::printMachine();
    const auto prepare = [&] {
        freshRecorder(state, kUsb2HighSpeed);
        bench::settleDisk(work);
    };
    const auto recorded = [&] {
        return bench::runChild(
            {self, "run", work.string(), state.string(), "--real-clock", "--record", recording.string()});
    };
    const auto plain = [&] { return bench::runChild({self, "run", work.string(), state.string(), "--real-clock"}); };
    const bench::Comparison runs = bench::alternate(pairs, recorded, plain, prepare);
    bench::printComparison(runs, "recorded update", "update");
    const double extraSeconds = bench::median(runs.ours) - bench::median(runs.peer);
    const double usbSeconds = static_cast<double>(sizes.totalMiB() * bench::kMiB) /
                              static_cast<double>(kUsb2HighSpeed.bandwidthBytesPerSecond);
    const double sharePercent = extraSeconds / usbSeconds * 100;
    bench::printFigure("recording's extra time", extraSeconds * 1000, "ms");
    bench::printFigure("as a share of the same bytes at USB 2.0 high speed", sharePercent, "%");
    bench::printFigure("recording size", static_cast<double>(fs::file_size(recording)) / 1024, "KiB");
    bench::printTableRow({"recording of a full update, " + std::to_string(sizes.totalMiB()) + " MiB",
                          bench::fixed(extraSeconds * 1000, 0) + " ms extra",
                          "USB 2.0 transfer " + bench::fixed(usbSeconds, 2) + " s",
                          bench::fixed(sharePercent, 1) + " % of it", "<= 2 %", bench::verdict(sharePercent <= 2)});
    return runs.failed ? 1 : 0;
}

std::uint64_t numberOr(int argc, char** argv, int index, std::uint64_t fallback) {
    return index < argc && std::strncmp(argv[index], "--", 2) != 0 ? std::stoull(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string self = fs::absolute(argv[0]).string();
    if (mode == "run" && argc >= 4) {
        bool realClock = false;
        fs::path recording;
        for (int i = 4; i < argc; ++i) {
            if (std::strcmp(argv[i], "--real-clock") == 0) realClock = true;
            if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc) recording = argv[++i];
        }
        return runOneUpdate(argv[2], argv[3], realClock, recording);
    }
    if (mode == "recording")
        return recordingOverhead(self, {numberOr(argc, argv, 2, 64), numberOr(argc, argv, 3, 192)},
                                 static_cast<int>(numberOr(argc, argv, 4, 5)));
    if (mode == "engine") {
        const bool cold = std::strcmp(argv[argc - 1], "--cold") == 0;
        return engine(self, {numberOr(argc, argv, 2, 64), numberOr(argc, argv, 3, 960)},
                      static_cast<int>(numberOr(argc, argv, 4, 5)), cold);
    }
    if (mode == "latency")
        return latency(self, {numberOr(argc, argv, 2, 64), numberOr(argc, argv, 3, 192)},
                       static_cast<int>(numberOr(argc, argv, 4, 3)));
    std::fprintf(stderr,
                 "usage: full_update_bench engine|latency|recording [firmware MiB] [partition MiB] [pairs] [--cold]\n");
    return 2;
}
