// What the benchmarks share: a quiet user-interface port and a controller on the
// application session (for a run inside a benchmark's own child process), scratch
// folders and input files, and the honest comparison: each measurement in a fresh
// process, timed from its start to its end, alternated with its peer's, with the peak
// memory that wait4 reports for that process.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application_session.h"
#include "app/memory_profile.h"
#include "sim/simulator.h"
#include "app/image_burner_controller.h"
#include "app/user_interface_port.h"
#include "update_inputs.h"

namespace ib::bench {

// Counts what a user would see and prints message boxes (a benchmark run that
// fails must say why).
class QuietPort final : public UserInterfacePort {
public:
    void renderStatus(const StatusState&) override { ++statusUpdates; }
    void showStepMessage(const std::string&) override {}
    void showMessageBox(MessageBoxKind kind, const std::string& text) override;
    void setOperationButtonsEnabled(bool) override {}
    void setControlEnabled(ControlId, bool) override {}
    std::optional<std::string> chooseFile(const FileChooserRequest&) override { return std::nullopt; }
    void transferProgress(std::uint64_t, std::uint64_t) override { ++progressEvents; }
    void showValues(const DialogValues&) override {}
    void operationFinished(Operation, std::uint32_t) override {}

    std::uint64_t statusUpdates = 0;
    std::uint64_t progressEvents = 0;
};

// A controller on a working folder, talking to a simulated recorder, with the
// system's process runner for the helper tools; recording the session into
// `recording` when one is named.
struct BenchController {
    BenchController(sim::Simulator& recorder, Clock& clock, const std::filesystem::path& workdir,
                    const std::filesystem::path& tmpdir, const std::filesystem::path& recording = {});
    QuietPort port;
    app::MemoryProfile profile;
    std::unique_ptr<app::ApplicationSession> session;
    std::unique_ptr<CImageBurnerDlg>& controller;
};

// A fresh folder under the temporary folder, removed with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A path in single quotes for `sh -c` (the benchmarks' paths have no quote in them).
std::string quotedForShell(const std::filesystem::path& path);

// One run of a child process.
struct ChildRun {
    double seconds = 0;  // from spawning it to reaping it
    double peakMiB = 0;  // its peak resident memory, or that of a child it waited for if higher
    int exitStatus = -1;
};

// Runs argv in a fresh process with standard output into `output`. The peak memory
// comes from wait4 on that process; it is at least this launcher's own resident size
// when spawning, which the child starts out sharing.
ChildRun runChild(const std::vector<std::string>& argv, const std::filesystem::path& output = "/dev/null");
// Peak resident memory of this process: the floor of every child's figure.
double launcherPeakMiB();

// Flushes the file system holding `path`, so that no run pays for another's writeback.
void settleDisk(const std::filesystem::path& path);
// Drops a file's pages from the page cache, so that the next reader finds it cold.
void dropFromCache(const std::filesystem::path& file);

// Times of both sides, pair by pair; a ratio is the peer's time over ours (above 1: faster).
struct Comparison {
    std::vector<double> ours, peer;
    double peakMiB = 0;  // the highest of our side's runs
    bool failed = false;
    double medianRatio() const;
    double minRatio() const;
};
// Alternates ours and the peer `pairs` times, `prepare` before each run (not timed).
Comparison alternate(int pairs, const std::function<ChildRun()>& ours, const std::function<ChildRun()>& peer,
                     const std::function<void()>& prepare);

// The comparison's figures: each side's median time, the median and lowest ratio.
void printComparison(const Comparison& runs, const std::string& ours, const std::string& peer);
// The table's ratio cell: "1.23x (min 0.98x)".
std::string ratioCell(const Comparison& runs);

double median(std::vector<double> values);
double secondsSince(std::chrono::steady_clock::time_point start);
void printFigure(const std::string& name, double value, const std::string& unit);
// One row of the summary table that bench/run-all.sh collects: "TABLE|" and the cells.
void printTableRow(const std::vector<std::string>& cells);
std::string fixed(double value, int decimals);
// "met" or "MISSED".
const char* verdict(bool met);
// The machine's state, printed before the figures: cores and load.
void printMachine();

}  // namespace ib::bench
