// The results of runs on several recorders. See run_results.h.
#include "cli/run_results.h"

#include <cstdio>
#include <ostream>

#include "seams/recorder_lock.h"
#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

constexpr int kInterruptedExitStatus = 130;

const char* resultText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Done: return "done";
        case RunOutcome::Failed: return "failed";
        case RunOutcome::Stopped: return "stopped";
        case RunOutcome::Held: return "held";
        case RunOutcome::LeftAlone: return "left alone";
    }
    return "";
}

// "held by another program (pid 4242)" from the in-use message.
std::string heldText(const std::string& inUseMessage) {
    const auto pid = inUseMessage.find("(pid ");
    const auto end = inUseMessage.find(')', pid);
    const bool named = pid != std::string::npos && end != std::string::npos;
    return "held by another program" + (named ? " " + inUseMessage.substr(pid, end + 1 - pid) : "");
}

// What the table says about the run after its result.
std::string whyText(const RecorderRunResult& r) {
    switch (r.outcome) {
        case RunOutcome::Failed: return r.failure.empty() ? r.lastStatus : r.failure;
        case RunOutcome::Held: return heldText(r.failure);
        case RunOutcome::LeftAlone: return "not taken in by --recorder";
        case RunOutcome::Done:
        case RunOutcome::Stopped: break;
    }
    return r.lastStatus;
}

}  // namespace

RunOutcome outcomeOf(int exitStatus, const std::string& failure) {
    if (exitStatus == 0) return RunOutcome::Done;
    if (exitStatus == kInterruptedExitStatus) return RunOutcome::Stopped;
    // Taken by another program between the look and the run's own start.
    return isRecorderInUseMessage(failure) ? RunOutcome::Held : RunOutcome::Failed;
}

RecorderRunResult notRunResult(const std::string& recorder, RunOutcome outcome, const std::string& inUseMessage) {
    RecorderRunResult result;
    result.recorder = recorder;
    result.outcome = outcome;
    result.failure = inUseMessage;
    return result;
}

void printRunTable(std::ostream& out, const std::vector<RecorderRunResult>& results) {
    char row[512];
    std::snprintf(row, sizeof row, "%-12s %-10s %-40s %9s %14s\n", "Recorder", "Result", "Last status", "Time",
                  "Bytes written");
    out << row;
    for (const auto& r : results) {
        std::snprintf(row, sizeof row, "%-12s %-10s %-40s %7.1f s %14llu\n", r.recorder.c_str(), resultText(r.outcome),
                      whyText(r).c_str(), r.seconds, static_cast<unsigned long long>(r.bytesWritten));
        out << row;
    }
}

void printRecordings(std::ostream& out, const std::vector<RecorderRunResult>& results) {
    bool heading = false;
    for (const auto& r : results) {
        if (r.recording.empty()) continue;
        if (!heading) out << "Recordings, each replayed with its --recorder:\n";
        heading = true;
        out << "  " << utf8FromPath(r.recording) << "  --recorder " << r.recorder << '\n';
    }
}

int combinedExitStatus(const std::vector<RecorderRunResult>& results) {
    int status = 0;
    for (const auto& r : results) {
        if (r.outcome == RunOutcome::Stopped) return kInterruptedExitStatus;
        if (r.outcome == RunOutcome::Failed || r.outcome == RunOutcome::Held) status = 1;
    }
    return status;
}

}  // namespace ib::cli
