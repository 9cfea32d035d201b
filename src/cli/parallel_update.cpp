// An operation on every recorder at once. See parallel_update.h.
#include "cli/parallel_update.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/temporary_folder.h"
#include "cli/cli_session.h"
#include "cli/status_board.h"
#include "device/recorder_roster.h"
#include "platform/terminal_output.h"
#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kInterruptedExitStatus = 130;

// The recorders present, each with what its own session needs. The listing
// session ends here, so that each run can take its recorder.
std::vector<PlannedRun> plannedRuns(const CommandContext& c) {
    std::ostringstream quiet;
    CliSession lister(c.options, quiet, c.err, c.stop);
    if (lister.open() != 0) return {};
    app::ApplicationSession& application = lister.application();
    std::vector<PlannedRun> runs;
    for (const auto& recorder : listRecorders(application.devices(), application.allVolumes()))
        runs.push_back({recorder.portPath, application.simulatorFolderOf(recorder.portPath)});
    return runs;
}

std::string fileNameOf(const std::string& port) {
    std::string name = "recorder-";
    for (const char ch : port) name += std::isalnum(static_cast<unsigned char>(ch)) || ch == '.' || ch == '-' ? ch : '_';
    return name + ".log";
}

std::string resultText(int exitStatus) {
    if (exitStatus == 0) return "done";
    if (exitStatus == kInterruptedExitStatus) return "stopped";
    return "failed";
}

// The options of one recorder's own session: that recorder alone, its own temporary
// folder, where its folder images are packed too (the working folder is everyone's).
GlobalOptions optionsFor(const GlobalOptions& all, const PlannedRun& run, const fs::path& temporaryFolder) {
    GlobalOptions own = all;
    own.recorder = run.port;
    if (!run.simulatorFolder.empty()) own.simDirs = {utf8FromPath(run.simulatorFolder)};
    own.percentInLines = true;
    own.temporaryFolder = utf8FromPath(temporaryFolder);
    return own;
}

}  // namespace

RecorderRunResult runOnRecorder(const CommandContext& c, Operation op, const PlannedRun& run, const RunPlace& place,
                                StopRequest stop, const std::function<void()>& opened) {
    RecorderRunResult result;
    result.recorder = run.port;
    std::error_code noFolder;  // a log that cannot be made shows as missing; the run goes on
    fs::create_directories(place.logFile.parent_path(), noFolder);  // --log-dir names a folder to be
    std::ofstream log(place.logFile, std::ios::binary);  // the lines as printed, on every system
    std::mutex lineMutex;  // the session's device events may write from another thread
    auto sinkFor = [&](bool status) {
        return [&, status](const std::string& line) {
            std::lock_guard lock(lineMutex);
            log << line << '\n' << std::flush;
            if (status) result.lastStatus = line;
            place.board.line(place.row, line);
        };
    };
    LineSink outLines(sinkFor(true)), errLines(sinkFor(false));
    std::ostream out(&outLines), err(&errLines);
    std::error_code ignored;
    fs::create_directories(place.temporaryFolder, ignored);
    const auto started = std::chrono::steady_clock::now();
    {
        CliSession session(optionsFor(c.options, run, place.temporaryFolder), out, err, stop);
        result.exitStatus = session.start();
        if (opened) opened();
        if (result.exitStatus == 0) {
            result.exitStatus = session.run(op);
            result.bytesWritten = session.controller().recorderChanges().sectorsWritten() * 512;
        }
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    fs::remove_all(place.temporaryFolder, ignored);
    return result;
}

fs::path logFileFor(const CommandContext& c, const std::string& port) {
    return pathFromUtf8(c.arguments.logDir.empty() ? c.options.workdir : c.arguments.logDir) / pathFromUtf8(fileNameOf(port));
}

fs::path runsTemporaryFolder() {
    std::error_code noFolder;
    return app::temporaryFolder(noFolder) / pathFromUtf8("imageburner-" + std::to_string(::getpid()));
}

void addEveryRecorderOptions(CLI::App& command, CommandContext& c) {
    command.add_flag("--all", c.arguments.all, "Run on every recorder present at once, each on its own thread");
    command.add_option("--log-dir", c.arguments.logDir,
                       "Folder of the per-recorder logs of --all (default: the working folder)");
}

int runOnEveryRecorder(CommandContext& c, Operation op) {
    const std::vector<PlannedRun> runs = plannedRuns(c);
    if (runs.empty()) {
        c.err << "No recorder found.\n";
        return 1;
    }
    std::vector<std::string> names;
    for (const auto& run : runs) names.push_back(run.port);
    const bool terminal = &c.out == &std::cout && platform::standardOutputDrawsInPlace();
    StatusBoard board(c.out, terminal, names);
    const fs::path temporary = runsTemporaryFolder();

    std::vector<RecorderRunResult> results(runs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        threads.emplace_back([&, i] {
            const RunPlace place{board, i, logFileFor(c, runs[i].port), temporary / pathFromUtf8(std::to_string(i))};
            results[i] = runOnRecorder(c, op, runs[i], place, c.stop);
        });
    }
    for (auto& thread : threads) thread.join();
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    printRunTable(c.out, results);
    return combinedExitStatus(results);
}

void printRunTable(std::ostream& out, const std::vector<RecorderRunResult>& results) {
    char row[256];
    std::snprintf(row, sizeof row, "%-12s %-8s %-40s %9s %14s\n", "Recorder", "Result", "Last status", "Time",
                  "Bytes written");
    out << row;
    for (const auto& r : results) {
        std::snprintf(row, sizeof row, "%-12s %-8s %-40s %7.1f s %14llu\n", r.recorder.c_str(),
                      resultText(r.exitStatus).c_str(), r.lastStatus.c_str(), r.seconds,
                      static_cast<unsigned long long>(r.bytesWritten));
        out << row;
    }
}

int combinedExitStatus(const std::vector<RecorderRunResult>& results) {
    int status = 0;
    for (const auto& r : results) {
        if (r.exitStatus == kInterruptedExitStatus) return kInterruptedExitStatus;
        if (r.exitStatus != 0) status = 1;
    }
    return status;
}

}  // namespace ib::cli
