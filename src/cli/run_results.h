// How the runs on several recorders at once ended (`update --all`, `station`):
// one row per recorder with its result and the line that says why, the
// recordings made, and the exit status of the whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace ib::cli {

enum class RunOutcome {
    Done,
    Failed,
    Stopped,
    Held,       // another program holds the recorder: nothing was sent to it
    LeftAlone,  // no --recorder takes it in
};

// How one recorder's run ended.
struct RecorderRunResult {
    std::string recorder;  // its port path
    RunOutcome outcome = RunOutcome::Failed;
    std::string lastStatus;  // the last line it showed
    std::string failure;     // the first error it reported (a message box's text); "" none
    double seconds = 0;
    std::uint64_t bytesWritten = 0;
    std::filesystem::path recording;  // the recording made of it; empty: none
};

// The outcome of a run that ended with `exitStatus` (as the same command on
// that recorder alone), `failure` being the first error it reported.
RunOutcome outcomeOf(int exitStatus, const std::string& failure);

// The row of a recorder that was not run on: held by another program (with
// its in-use message), or left alone.
RecorderRunResult notRunResult(const std::string& recorder, RunOutcome outcome, const std::string& inUseMessage = "");

// The closing table: recorder, result, why (the last status, or for a
// failed run its error), time, bytes written.
void printRunTable(std::ostream& out, const std::vector<RecorderRunResult>& results);

// The recordings made, each with the --recorder that replays it; nothing when none was made.
void printRecordings(std::ostream& out, const std::vector<RecorderRunResult>& results);

// The exit status of runs that all had to succeed: 130 when a stop cut one
// short, else 1 when one failed or was held by another program, else 0.
int combinedExitStatus(const std::vector<RecorderRunResult>& results);

}  // namespace ib::cli
