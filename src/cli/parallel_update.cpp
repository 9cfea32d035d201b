// An operation on every recorder at once. See parallel_update.h.
#include "cli/parallel_update.h"


#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/main_dialog_logic.h"
#include "app/temporary_folder.h"
#include "cli/cli_session.h"
#include "cli/recorder_listing.h"
#include "cli/run_threads.h"
#include "cli/status_board.h"
#include "platform/terminal.h"
#include "seams/system_error_text.h"
#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kUsageExitStatus = 2;
constexpr auto kRefreshInterval = std::chrono::milliseconds(100);

// A recorder present, and whether the --recorder patterns take it in.
struct PresentRecorder {
    PlannedRun run;
    bool taken = true;
};

// The recorders present, each with what its own session needs and whether
// another program holds it. The listing session ends here, so that each run
// can take its recorder.
int plannedRuns(const CommandContext& c, std::vector<PresentRecorder>& present) {
    std::ostringstream quiet;
    CliSession lister(lookingOptions(c.options), quiet, c.err, c.stop);
    if (const int failed = lister.open(); failed != 0) return failed;
    app::ApplicationSession& application = lister.application();
    const auto recorders = listRecorders(application.devices(), application.allVolumes());
    if (recorders.empty()) {
        c.err << "No recorder found.\n";
        return 1;
    }
    for (const auto& pattern : c.options.recorderPatterns) {
        if (std::none_of(recorders.begin(), recorders.end(), [&](const auto& r) { return recorderWithin(r, pattern); })) {
            c.err << "No recorder matches --recorder " << pattern << ".\n";
            printRecorders(c.err, recorders);
            return kUsageExitStatus;
        }
    }
    for (const auto& r : recorders)
        present.push_back({{r.portPath, application.simulatorFolderOf(r.portPath), r.heldBy.value_or("")},
                           takenIn(r, c.options.recorderPatterns)});
    return 0;
}

// The port as a part of a file name.
std::string portInName(const std::string& port) {
    std::string name;
    for (const char ch : port) name += std::isalnum(static_cast<unsigned char>(ch)) || ch == '.' || ch == '-' ? ch : '_';
    return name;
}

// The recording of the recorder on `port` from the name given:
// "session.jsonl.gz" gives "session.1-2.3.jsonl.gz", a later run on that
// port "session.1-2.3.run2.jsonl.gz". The compression's and the format's
// extensions stay last, so the file is read as the one given would be.
fs::path recordingOf(const fs::path& given, const std::string& port, std::size_t nth) {
    fs::path stem = given.filename(), extensions;
    for (const char* compressed : {".gz", ".zst"}) {
        if (stem.extension() != pathFromUtf8(compressed)) continue;
        extensions = stem.extension();
        stem = stem.stem();
    }
    if (stem.has_stem() && stem.has_extension()) {
        extensions = stem.extension().concat(extensions.native());
        stem = stem.stem();
    }
    stem += pathFromUtf8('.' + portInName(port) + (nth > 1 ? ".run" + std::to_string(nth) : ""));
    stem += extensions;
    return given.parent_path() / stem;
}

// The time now as "2026-12-08 09:30:12 UTC", for the header of a run in its log.
std::string utcTimeText() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

// An error line as the table shows it: a message box's text without its caption.
std::string errorText(const std::string& line) {
    const std::string caption = std::string(captionOf(MessageBoxKind::Error)) + ": ";
    return line.starts_with(caption) ? line.substr(caption.size()) : line;
}

// The options of one recorder's own session: that recorder alone, its own temporary
// folder, where its folder images are packed too (the working folder is everyone's),
// its own recording.
GlobalOptions optionsFor(const GlobalOptions& all, const PlannedRun& run, const RunPlace& place) {
    GlobalOptions own = all;
    own.recorder = run.port;
    own.recorderPatterns = {run.port};
    if (!run.simulatorFolder.empty()) own.simDirs = {utf8FromPath(run.simulatorFolder)};
    own.percentInLines = true;
    own.temporaryFolder = utf8FromPath(place.temporaryFolder);
    own.recordFile = utf8FromPath(place.recordFile);
    return own;
}

}  // namespace

RecorderRunResult runOnRecorder(const CommandContext& c, Operation op, const PlannedRun& run, const RunPlace& place,
                                StopRequest stop, const std::function<void()>& opened) {
    RecorderRunResult result;
    result.recorder = run.port;
    // Each run's lines follow the earlier runs' on that recorder, as printed, on every system.
    std::ofstream log(place.logFile, std::ios::binary | std::ios::app);
    log << "=== " << utcTimeText() << ": " << operationName(op) << " on " << run.port << " ===\n";
    std::mutex lineMutex;  // the session's device events may write from another thread
    auto sinkFor = [&](bool status) {
        return [&, status](const std::string& line) {
            std::lock_guard lock(lineMutex);
            log << line << '\n' << std::flush;
            if (status)
                result.lastStatus = line;
            else if (result.failure.empty() && !line.starts_with("Warning: "))
                result.failure = errorText(line);  // the first error says why; later ones follow from it
            place.board.line(place.row, line);
        };
    };
    LineSink outLines(sinkFor(true)), errLines(sinkFor(false));
    std::ostream out(&outLines), err(&errLines);
    std::error_code ignored;
    fs::create_directories(place.temporaryFolder, ignored);
    const auto started = std::chrono::steady_clock::now();
    int exitStatus = 1;
    {
        CliSession session(optionsFor(c.options, run, place), out, err, stop);
        exitStatus = session.start();
        if (opened) opened();
        if (exitStatus == 0) {
            exitStatus = session.run(op);
            result.bytesWritten = session.controller().recorderChanges().sectorsWritten() * 512;
        }
    }
    result.outcome = outcomeOf(exitStatus, result.failure);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!place.recordFile.empty() && fs::exists(place.recordFile, ignored)) result.recording = place.recordFile;
    fs::remove_all(place.temporaryFolder, ignored);
    return result;
}

int refusalOfSeveralRuns(const CommandContext& c) {
    if (!c.options.replayFile.empty()) {
        c.err << "--replay answers for one recorder: replay one recorder at a time, with its --recorder and "
                 "without --all or station.\n";
        return kUsageExitStatus;
    }
    if (c.arguments.logDir.empty()) return 0;
    const fs::path folder = pathFromUtf8(c.arguments.logDir);
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error && !fs::is_directory(folder, error)) error = std::make_error_code(std::errc::not_a_directory);
    if (!error) return 0;
    c.err << "The log folder " << c.arguments.logDir << " cannot be made: " << systemErrorText(error) << '\n';
    return 1;
}

RunPlace placeOfRun(const CommandContext& c, StatusBoard& board, std::size_t row, const std::string& port,
                    const fs::path& runsFolder, std::size_t nth) {
    const fs::path logFolder = pathFromUtf8(c.arguments.logDir.empty() ? c.options.workdir : c.arguments.logDir);
    const fs::path given = pathFromUtf8(c.options.recordFile);
    return RunPlace{board, row, logFolder / pathFromUtf8("recorder-" + portInName(port) + ".log"),
                    runsFolder / pathFromUtf8(std::to_string(row)),
                    given.empty() ? fs::path() : recordingOf(given, port, nth)};
}

GlobalOptions lookingOptions(const GlobalOptions& options) {
    GlobalOptions looking = options;
    looking.recordFile.clear();
    return looking;
}

bool takenIn(const RecorderEntry& recorder, const std::vector<std::string>& patterns) {
    return patterns.empty() ||
           std::any_of(patterns.begin(), patterns.end(), [&](const auto& p) { return recorderWithin(recorder, p); });
}

fs::path runsTemporaryFolder() {
    std::error_code noFolder;
    const fs::path parent = app::temporaryFolder(noFolder);
    app::removeStaleRunsFolders(parent);
    return app::runsFolder(parent);
}

void addEveryRecorderOptions(CLI::App& command, CommandContext& c) {
    command.add_flag("--all", c.arguments.all,
                     "Run on every recorder present at once, each on its own thread; with --recorder (repeated) "
                     "only on those it takes in (1-2 takes in 1-2.3)");
    command.add_option("--log-dir", c.arguments.logDir,
                       "Folder of the per-recorder logs of --all (default: the working folder)");
}

int runOnEveryRecorder(CommandContext& c, Operation op) {
    if (const int refused = refusalOfSeveralRuns(c); refused != 0) return refused;
    std::vector<PresentRecorder> present;
    if (const int failed = plannedRuns(c, present); failed != 0) return failed;
    std::vector<std::string> names;
    for (const auto& recorder : present) names.push_back(recorder.run.port);
    const bool terminal = &c.out == &std::cout && platform::standardOutputDrawsInPlace();
    StatusBoard board(c.out, terminal, names, platform::terminalColumns);
    const fs::path temporary = runsTemporaryFolder();
    std::vector<RecorderRunResult> results(present.size());
    RunThreads threads;
    for (std::size_t i = 0; i < present.size(); ++i) {
        const PlannedRun& run = present[i].run;
        if (!present[i].taken || !run.heldBy.empty()) {
            results[i] = notRunResult(run.port, present[i].taken ? RunOutcome::Held : RunOutcome::LeftAlone, run.heldBy);
            board.line(i, present[i].taken ? run.heldBy : "left alone: not taken in by --recorder");
            continue;
        }
        const RunPlace place = placeOfRun(c, board, i, run.port, temporary, 1);
        threads.start([&, i, place] { results[i] = runOnRecorder(c, op, present[i].run, place, c.stop); });
    }
    while (threads.joinEnded() > 0) {
        std::this_thread::sleep_for(kRefreshInterval);
        board.refresh();  // a terminal whose width changed gets its rows again
    }
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    printRunTable(c.out, results);
    printRecordings(c.out, results);
    return combinedExitStatus(results);
}

}  // namespace ib::cli
