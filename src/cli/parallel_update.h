// One operation on every recorder present at once (`update --all`, `sync
// --all`, `configure-user-area --all`), and the runs the station starts: one
// session, controller, lock and thread per recorder, so that one recorder's
// failure, unplugging or restart never touches another's run. Status lines as
// a StatusBoard shows them, a log file per recorder, a table at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/operation.h"
#include "cli/commands.h"
#include "cli/status_board.h"

namespace ib::cli {

// A recorder to run on, with what its own session needs.
struct PlannedRun {
    std::string port;
    std::filesystem::path simulatorFolder;  // empty for a recorder of the machine's own
};

// Where one run shows and keeps what it says.
struct RunPlace {
    StatusBoard& board;
    std::size_t row;
    std::filesystem::path logFile;
    std::filesystem::path temporaryFolder;  // the run's own, removed at its end
};

// How one recorder's run ended.
struct RecorderRunResult {
    std::string recorder;    // its port path
    int exitStatus = 1;      // as the same command on that recorder alone would end
    std::string lastStatus;  // the last line it showed
    double seconds = 0;
    std::uint64_t bytesWritten = 0;
};

// Adds --all and --log-dir to a command that can run on every recorder.
void addEveryRecorderOptions(CLI::App& command, CommandContext& c);

// Runs `op` on every recorder present; the exit status is 0 only when it
// succeeded on all of them (1 when none is present, 130 when a stop cut one short).
int runOnEveryRecorder(CommandContext& c, Operation op);

// Runs `op` on one recorder in a session of its own, stopped by `stop`;
// `opened` is called once the session holds the recorder (or could not).
RecorderRunResult runOnRecorder(const CommandContext& c, Operation op, const PlannedRun& run, const RunPlace& place,
                                StopRequest stop, const std::function<void()>& opened = {});

// The per-recorder log file in the --log-dir folder, else the working folder.
std::filesystem::path logFileFor(const CommandContext& c, const std::string& port);
// A folder for the program's runs' own temporary folders.
std::filesystem::path runsTemporaryFolder();

// The closing table: recorder, result, last status text, time, bytes written.
void printRunTable(std::ostream& out, const std::vector<RecorderRunResult>& results);

// The exit status of runs that all had to succeed.
int combinedExitStatus(const std::vector<RecorderRunResult>& results);

}  // namespace ib::cli
