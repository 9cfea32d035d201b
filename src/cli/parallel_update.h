// One operation on every recorder present at once (`update --all`, `sync
// --all`, `configure-user-area --all`), and the runs the station starts: one
// session, controller, lock and thread per recorder, so that one recorder's
// failure, unplugging or restart never touches another's run. Status lines as
// a StatusBoard shows them, a log per recorder that each run appends to, a
// recording per recorder when one is asked for, a table at the end.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/operation.h"
#include "cli/commands.h"
#include "cli/run_results.h"
#include "cli/status_board.h"
#include "device/recorder_roster.h"

namespace ib::cli {

struct GlobalOptions;

// A recorder to run on, with what its own session needs.
struct PlannedRun {
    std::string port;
    std::filesystem::path simulatorFolder;  // empty for a recorder of the machine's own
    std::string heldBy;  // the in-use message when another program holds it; "" none
};

// Where one run shows and keeps what it says.
struct RunPlace {
    StatusBoard& board;
    std::size_t row;
    std::filesystem::path logFile;
    std::filesystem::path temporaryFolder;  // the run's own, removed at its end
    std::filesystem::path recordFile;       // the run's own recording; empty: none
};

// Adds --all and --log-dir to a command that can run on every recorder.
void addEveryRecorderOptions(CLI::App& command, CommandContext& c);

// Runs `op` on every recorder present that the --recorder patterns take in;
// the exit status is 0 only when it succeeded on all of them (1 when none is
// present, 2 when a pattern takes in none, 130 when a stop cut one short).
int runOnEveryRecorder(CommandContext& c, Operation op);

// Runs `op` on one recorder in a session of its own, stopped by `stop`;
// `opened` is called once the session holds the recorder (or could not).
RecorderRunResult runOnRecorder(const CommandContext& c, Operation op, const PlannedRun& run, const RunPlace& place,
                                StopRequest stop, const std::function<void()>& opened = {});

// What stops runs on several recorders before the first is taken: 0, or the
// exit status with its one-line reason on standard error: 2 for --replay (a
// recording answers for one recorder), 1 when the log folder cannot be made.
int refusalOfSeveralRuns(const CommandContext& c);

// The place of the run shown in `row` for the recorder on `port`, its
// `nth` run in this process (a station takes a port again after a replug),
// with its temporary folder in `runsFolder`.
RunPlace placeOfRun(const CommandContext& c, StatusBoard& board, std::size_t row, const std::string& port,
                    const std::filesystem::path& runsFolder, std::size_t nth);

// The options of a session that only looks at the recorders present: it
// records nothing, as the runs record their own recorders.
GlobalOptions lookingOptions(const GlobalOptions& options);

// Whether a recorder is one of those `patterns` take in (every one when there is none).
bool takenIn(const RecorderEntry& recorder, const std::vector<std::string>& patterns);

// The folder of this process's runs' own temporary folders, after removing
// those that killed runs left.
std::filesystem::path runsTemporaryFolder();

}  // namespace ib::cli
