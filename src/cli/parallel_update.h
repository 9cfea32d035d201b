// One operation on every recorder present at once (`update --all`, `sync
// --all`, `configure-user-area --all`): one session, controller, lock and
// thread per recorder, so that one recorder's failure, unplugging or restart
// never touches another's run. Status lines as a StatusBoard shows them, a
// log file per recorder, and a table of the results at the end.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/operation.h"
#include "cli/commands.h"

namespace ib::cli {

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

// The closing table: recorder, result, last status text, time, bytes written.
void printRunTable(std::ostream& out, const std::vector<RecorderRunResult>& results);

// The exit status of runs that all had to succeed.
int combinedExitStatus(const std::vector<RecorderRunResult>& results);

}  // namespace ib::cli
